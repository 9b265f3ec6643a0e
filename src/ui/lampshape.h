#pragma once

#include <QWidget>

// The round status lamp of the main window.
class LampShape final : public QWidget
{
    Q_OBJECT
public:
    explicit LampShape(QWidget *parent = nullptr);
    void setFillColor(quint32 bgr);
    quint32 fillColor() const { return m_fill; }
    QSize sizeHint() const override { return {20, 20}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    quint32 m_fill = 0;
};
