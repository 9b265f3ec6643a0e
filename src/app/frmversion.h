#pragma once

#include <QDialog>

// Program name, version and maker.
class frmVersion final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmVersion)
public:
    explicit frmVersion(QWidget *parent = nullptr);
};
