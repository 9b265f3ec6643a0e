#include "app/cardwindows.h"

#include "editors/frmsetmodel.h"
#include "editors/frmsetpalsemodel.h"
#include "editors/frmshowmodel.h"
#include "exchange/cardtransfer.h"
#include "exchange/session.h"
#include "monitor/frmoverview.h"
#include "ui/commandlock.h"
#include "ui/commandscope.h"
#include "ui/messages.h"

#include <QComboBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

namespace {

QWidget *frameOf(QWidget *form)
{
    auto *sub = qobject_cast<QMdiSubWindow *>(form->parentWidget());
    return sub ? static_cast<QWidget *>(sub) : form;
}

} // namespace

CardWindows::CardWindows(Session &session, const Wiring &wiring)
    : m_session(session), m_wiring(wiring),
      m_setModel(new frmSetModel(session.cards, session.state)),
      m_setPalseModel(new frmSetPalseModel(session.cards, session.state)),
      m_showModel(new frmShowModel(session.cards, session.state))
{
    for (QWidget *w : {static_cast<QWidget *>(m_setModel), static_cast<QWidget *>(m_setPalseModel),
                       static_cast<QWidget *>(m_showModel)}) {
        QMdiSubWindow *sub = m_wiring.mdi->addSubWindow(w);
        // The windows live as long as the program: the close box hides them.
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        sub->setWindowTitle(w->windowTitle());
        sub->hide();
    }
    m_wiring.lock.addEditor(m_setModel, FormType::Analog);
    m_wiring.lock.addEditor(m_setPalseModel, FormType::Pulse);

    QObject::connect(m_setModel, &frmSetModel::uploadClicked, m_setModel,
                     [this] { analogUpload(); });
    QObject::connect(m_setModel, &frmSetModel::downloadClicked, m_setModel,
                     [this] { analogDownload(); });
    QObject::connect(m_setModel, &frmSetModel::limitClicked, m_setModel,
                     [this](bool ticked) { limitClicked(ticked); });
    QObject::connect(m_setPalseModel, &frmSetPalseModel::uploadClicked, m_setPalseModel,
                     [this] { pulseUpload(); });
    QObject::connect(m_setPalseModel, &frmSetPalseModel::downloadClicked, m_setPalseModel,
                     [this] { pulseDownload(); });
}

bool CardWindows::actsOn(FormType formType) const
{
    const int sel = m_session.state.SelectedCardNo;
    return sel >= 1 && sel <= kCardCount && m_session.cards[sel].form() == formType;
}

void CardWindows::hideCardWindowsBut(QWidget *keep)
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_wiring.overview), static_cast<QWidget *>(m_setModel),
          static_cast<QWidget *>(m_setPalseModel), static_cast<QWidget *>(m_showModel)})
        if (w != keep)
            frameOf(w)->hide();
}

void CardWindows::StoreEditorFields()
{
    const int sel = m_session.state.SelectedCardNo;
    if (sel < 1 || sel > kCardCount)
        return;
    CardRecord &r = m_session.cards[sel];
    const bool twoChannels = r.isTwoChannel();
    bool changed = false;
    const auto store = [&r, &changed](int k, const QString &text) {
        changed = changed || r.par(k).Value != text;
        r.par(k).Value = text;
    };
    if (r.form() == FormType::Analog) {
        for (int k = 1; k <= (twoChannels ? 12 : 6); ++k)
            store(k, m_setModel->parText(k));
    } else if (r.form() == FormType::Pulse) {
        for (int ch = 1; ch <= std::min(r.channels(), 2); ++ch) {
            const auto n = static_cast<std::size_t>(ch - 1);
            store(kPulseCountSlots.at(n), m_setPalseModel->countText(ch));
            store(kPulseSpanSlots.at(n), m_setPalseModel->spanText(ch));
        }
    }
    if (changed)
        m_session.table.changed();
}

void CardWindows::cboCardNo_Click()
{
    GlobalState &st = m_session.state;
    if (st.Initialising)
        return;
    StoreEditorFields();
    st.SelectedCardNo = m_wiring.cboCardNo->currentText().toInt();
    if (st.SelectedCardNo == 0) {
        // An editor left open behind the overview would show, and take
        // typing into, boxes of a card no longer selected.
        hideCardWindowsBut(m_wiring.overview);
        m_wiring.showCardForm(m_wiring.overview);
        m_wiring.lock.refreshFields();
        return;
    }
    const CardRecord &r = m_session.cards[st.SelectedCardNo];
    if (r.form() == FormType::None || r.form() > FormType::Discrete) {
        // Nothing to show: back to the overview, and no card selected, so a
        // later switch stores no editor into this slot.
        st.SelectedCardNo = 0;
        m_wiring.cboCardNo->setCurrentText(QStringLiteral("00"));
        m_wiring.showCardForm(m_wiring.overview);
        m_wiring.lock.refreshFields();
        return;
    }
    QWidget *shown = nullptr;
    if (r.form() == FormType::Analog) {
        m_setModel->FillCardWindow();
        m_setModel->SetScaleMinMax();
        m_setModel->ShowCardWindow();
        shown = m_setModel;
    } else if (r.form() == FormType::Pulse) {
        m_setPalseModel->FillCardWindow();
        m_setPalseModel->SetScaleMinMax();
        m_setPalseModel->ShowCardWindow();
        shown = m_setPalseModel;
    } else {
        m_showModel->FillCardWindow();
        m_showModel->ShowCardWindow();
        shown = m_showModel;
    }
    hideCardWindowsBut(shown);
    m_wiring.showCardForm(shown);
    // The boxes follow the new card's kind (Locked_txtBase, Unlocked_txtBase).
    m_wiring.lock.refreshFields();
    readShownCard();
}

void CardWindows::readShownCard()
{
    const int sel = m_session.state.SelectedCardNo;
    if (sel < 1 || sel > kCardCount || !m_session.line.isOpen())
        return;
    // The read switches the selector off, and Qt hands the focus of a widget
    // switched off along the tab chain: to the card's sub-window, which gives
    // it to its first box, where the next key still typed into the selector
    // would land. The main window holds the focus during the read instead.
    QWidget *main = m_wiring.cboCardNo->window();
    const QPointer<QWidget> focus = main->focusWidget();
    main->setFocus(Qt::OtherFocusReason);
    // The gate keeps every other command off inside the read's waits; when
    // it is released the commands follow whatever happened meanwhile.
    if (const CommandScope scope(m_session.gate, m_wiring.lock, kLiveReadOperation); scope) {
        showLiveRead(ReadCardLive(m_session, sel));
        emit m_session.live.interrupted();
    }
    // Back where it was, unless the operator has put it elsewhere meanwhile.
    if (focus && main->focusWidget() == main && focus->isEnabled() && focus->isVisible())
        focus->setFocus(Qt::OtherFocusReason);
}

void CardWindows::showLiveRead(const CardLiveRead &read)
{
    // What the window showed of this card is not the rack's now: another
    // model sits in the slot (no value at all), or the card fell silent
    // ("ERROR", as the overview shows it).
    const bool twoChannels = m_session.cards[read.cardNo].isTwoChannel();
    const QString error = read.notRead.isEmpty() ? QStringLiteral("ERROR") : QString();
    const QString ch1 = read.values ? read.values->ch1 : error;
    const QString ch2 = read.values ? read.values->ch2 : twoChannels ? error : QString();
    if (read.formType == FormType::Analog)
        m_setModel->showLive(ch1, ch2);
    else if (read.formType == FormType::Pulse)
        m_setPalseModel->showLive(ch1, ch2);
    for (int i = 0; i < read.states.size(); ++i)
        m_showModel->showChannel(i + 1, read.states.at(i));
    if (read.formType == FormType::Discrete && (read.silent() || !read.notRead.isEmpty()))
        m_showModel->showNoAnswer(int(read.states.size()) + 1, error);
    if (!read.notRead.isEmpty())
        m_wiring.showStatus(QStringLiteral("Slot %1: %2").arg(read.cardNo).arg(read.notRead));
    if (read.values || (read.silent() && read.formType != FormType::Discrete)) {
        m_wiring.overview->showInputData(read.cardNo, 1, ch1);
        m_wiring.overview->showInputData(read.cardNo, 2, ch2);
    }
}

bool CardWindows::uploadOverEdits(QWidget *editor, bool edited) const
{
    if (!edited)
        return true;
    return Messages::ask(editor, QStringLiteral("Upload"),
                         QStringLiteral("Slot %1 has edits not yet written to the card. Upload "
                                        "replaces them. Continue?")
                             .arg(m_session.state.SelectedCardNo));
}

bool CardWindows::mayReplaceEdits() const
{
    if (actsOn(FormType::Analog))
        return uploadOverEdits(m_setModel, m_setModel->hasUnsentEdits());
    if (actsOn(FormType::Pulse))
        return uploadOverEdits(m_setPalseModel, m_setPalseModel->hasUnsentEdits());
    return true;
}

void CardWindows::runTransfer(const char *name, const std::function<void()> &work)
{
    const CommandScope scope(m_session.gate, m_wiring.lock, QLatin1String(name));
    if (scope)
        work();
}

void CardWindows::applyAnalogReads()
{
    const int sel = m_session.state.SelectedCardNo;
    const AnalogCardReads reads = UploadAnalogCard(m_session, sel, m_wiring.progress);
    if (!reads.notRead.isEmpty())
        return;
    for (int k = 1; k <= 12; ++k)
        if (const auto &v = reads.values.at(static_cast<std::size_t>(k - 1)))
            m_setModel->setParText(k, *v);
    if (reads.limitOn) {
        m_setModel->setLimitTicked(*reads.limitOn);
        m_session.cards[sel].Limit = *reads.limitOn ? LimitState::On : LimitState::Off;
        m_session.table.changed();
    }
    StoreEditorFields();
}

void CardWindows::analogUpload()
{
    if (!actsOn(FormType::Analog))
        return;
    // Asked before the transfer takes the line; the selection is checked again after.
    if (!uploadOverEdits(m_setModel, m_setModel->hasUnsentEdits()) || !actsOn(FormType::Analog))
        return;
    runTransfer("Upload card", [this] { applyAnalogReads(); });
}

void CardWindows::analogDownload()
{
    if (!actsOn(FormType::Analog))
        return;
    runTransfer("Download card", [this] {
        std::array<QString, 12> boxes;
        for (int k = 1; k <= 12; ++k)
            boxes.at(static_cast<std::size_t>(k - 1)) = m_setModel->parText(k);
        const int cardNo = m_session.state.SelectedCardNo;
        const QList<CardWrite> writes = DownloadAnalogCard(
            m_session, cardNo, boxes, m_setModel->limitTicked(), m_wiring.progress);
        m_wiring.showStatus(CardDownloadSummary(m_session.cards, cardNo, writes));
        StoreEditorFields();
        // A card of another model took nothing, and its values are not this record's.
        if (!writes.isEmpty() && writes.first().result == ChangeResult::NotWritten)
            return;
        // Read back, so the window shows what the card holds, not what was typed.
        applyAnalogReads();
    });
}

void CardWindows::pulseUpload()
{
    if (!actsOn(FormType::Pulse))
        return;
    if (!uploadOverEdits(m_setPalseModel, m_setPalseModel->hasUnsentEdits()) ||
        !actsOn(FormType::Pulse))
        return;
    runTransfer("Upload card", [this] {
        const PulseCardReads reads =
            UploadPulseCard(m_session, m_session.state.SelectedCardNo, m_wiring.progress);
        if (!reads.notRead.isEmpty())
            return;
        const auto &v = reads.values;
        if (v[0])
            m_setPalseModel->setCountText(1, *v[0]);
        if (v[1])
            m_setPalseModel->setSpanText(1, *v[1]);
        if (v[2])
            m_setPalseModel->setCountText(2, *v[2]);
        if (v[3])
            m_setPalseModel->setSpanText(2, *v[3]);
        StoreEditorFields();
    });
}

void CardWindows::pulseDownload()
{
    if (!actsOn(FormType::Pulse))
        return;
    runTransfer("Download card", [this] {
        const QList<CardWrite> writes = DownloadPulseCard(
            m_session, m_session.state.SelectedCardNo, m_setPalseModel->spanText(1),
            m_setPalseModel->spanText(2), m_wiring.progress);
        // Nothing is read back: a span the card took is what it holds now.
        for (const CardWrite &w : writes)
            if (w.result == ChangeResult::Written)
                m_setPalseModel->spanWritten(w.slot == 2 ? 1 : 2);
        m_wiring.showStatus(
            CardDownloadSummary(m_session.cards, m_session.state.SelectedCardNo, writes));
        StoreEditorFields();
    });
}

void CardWindows::limitClicked(bool ticked)
{
    if (actsOn(FormType::Analog)) {
        m_session.cards[m_session.state.SelectedCardNo].Limit =
            ticked ? LimitState::On : LimitState::Off;
        m_session.table.changed();
    }
}
