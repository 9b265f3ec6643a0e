#include "app/frmversion.h"
#include "v9version.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmVersion::frmVersion(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmVersion"));
    setWindowTitle(QStringLiteral("Version V9CON "));
    setModal(true);

    auto label = [this](const QString &name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        return l;
    };
    QLabel *title = label(QStringLiteral("lblTitle_0"), QStringLiteral("V9CON"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    QLabel *version = label(QStringLiteral("lblTitle_1"), QStringLiteral("Version"));
    QLabel *number = label(QStringLiteral("lblName_1"), QString());
    QLabel *maker = label(QStringLiteral("lblTitle_2"), QStringLiteral("V9CON engineering team"));
    auto *line = new QFrame(this);
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto *grid = new QGridLayout(this);
    grid->addWidget(title, 0, 0, 1, 2);
    grid->addWidget(version, 1, 0);
    grid->addWidget(number, 1, 1);
    grid->addWidget(maker, 2, 0, 1, 2);
    grid->addWidget(line, 3, 0, 1, 2);
    grid->addWidget(ok, 4, 1, Qt::AlignRight);

    // Form_Load
    number->setText(QStringLiteral(V9_VERSION));
}
