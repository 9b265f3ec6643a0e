#pragma once

#include <functional>

struct Session;
class frmOverView;
class frmLoading;
class QLabel;
class QWidget;

// Everything besides the card table that the upload writes to.
struct UploadTargets
{
    frmOverView &overview;
    frmLoading &progress;
    QLabel *lblMasterType;
    QLabel *lblVersionNo;
    std::function<void()> disconnect; // DisconnectComCard
    QWidget *messageParent;
};

// Reads the communication card and every occupied slot into the card table
// and fills the overview row by row. On the first transaction that gets no
// answer: "Uploading incomplete", a disconnect, and false.
bool UploadAllCards(Session &session, const UploadTargets &targets);
