#include "ui/frmloading.h"

#include "ui/twips.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

frmLoading::frmLoading(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_label(new QLabel(this)), m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("frmLoading"));
    setWindowTitle(QStringLiteral("V9CON"));
    setModal(false);
    m_label->setObjectName(QStringLiteral("lblLoading"));
    m_label->setAlignment(Qt::AlignCenter);
    m_bar->setObjectName(QStringLiteral("pgBarLoading"));
    m_bar->setTextVisible(false);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    setFixedSize(twips(4680), twips(1725));
}

void frmLoading::ShowProgress(int steps, const QString &caption)
{
    m_bar->setMaximum(steps);
    m_bar->setMinimum(0);
    m_bar->setValue(0);
    m_label->setText(caption);
    show();
    raise();
}

void frmLoading::advance()
{
    setStep(m_bar->value() + 1);
}

void frmLoading::setStep(int value)
{
    m_bar->setValue(value);
}
