#pragma once

#include "model/cardcodes.h"

#include <QString>
#include <functional>

struct CardLiveRead;
struct Session;
class CommandLock;
class RackObserver;
class frmOverView;
class frmSetModel;
class frmSetPalseModel;
class frmShowModel;
class QComboBox;
class QMdiArea;
class QWidget;

// The card windows and the card selector's dispatch: which window shows
// which card, what an editor's boxes store into its record, the editors'
// buttons and the live read when a card is shown. The transfers themselves
// are the core's.
class CardWindows
{
public:
    struct Wiring
    {
        QMdiArea *mdi;
        frmOverView *overview;
        QComboBox *cboCardNo;
        CommandLock &lock;
        RackObserver &progress;
        // Places a card window at the top left of the client area and shows it.
        std::function<void(QWidget *)> showCardForm;
        // Shows what a card's Download wrote in the status bar.
        std::function<void(const QString &)> showStatus;
    };
    CardWindows(Session &session, const Wiring &wiring);

    frmSetModel *setModel() const { return m_setModel; }
    frmSetPalseModel *setPalseModel() const { return m_setPalseModel; }
    frmShowModel *showModel() const { return m_showModel; }

    void cboCardNo_Click();
    void StoreEditorFields();
    // Whether the table may go: asks when the card shown has edits not yet
    // written to it.
    bool mayReplaceEdits() const;
    // One read of the shown card's live values, as an operation of its own.
    void readShownCard();
    // Paints a live read of a card (ReadCardLive) into its window and the overview.
    void showLiveRead(const CardLiveRead &read);

private:
    // True while the selected card is one this kind of window serves.
    bool actsOn(FormType formType) const;
    void hideCardWindowsBut(QWidget *keep);
    void analogUpload();
    void analogDownload();
    void applyAnalogReads();
    void pulseUpload();
    void pulseDownload();
    void limitClicked(bool ticked);
    // Whether an Upload may replace the editor's unsent edits: asks when there are any.
    bool uploadOverEdits(QWidget *editor, bool edited) const;
    // Brackets an editor transfer with the command lock.
    void runTransfer(const char *name, const std::function<void()> &work);

    Session &m_session;
    Wiring m_wiring;
    frmSetModel *m_setModel;
    frmSetPalseModel *m_setPalseModel;
    frmShowModel *m_showModel;
};
