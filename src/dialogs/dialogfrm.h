#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;

enum MessageKind { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3 };
enum DialogButton {
    mbYes = 1,
    mbNo = 2,
    mbOK = 4,
    mbCancel = 8,
    mbAbort = 16,
    mbRetry = 32,
    mbAll = 128,
    mbHelp = 256
};
enum DialogResult {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8
};

// The program's own message window: an icon for the kind of message, the message and up
// to eight buttons laid out in fixed slots. One window serves every message; each call
// lays it out afresh, so nothing of the previous message's buttons survives.
class TfrmDialog : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDialog(QWidget* parent = nullptr);

    // Lays the window out for a message without showing it.
    void prepare(const QString& message, int kind, int buttons, int defaultButton, int helpContext);
    // Centres the window on the screen, shows it modally and returns the DialogResult
    // (mrNone when it was closed without a button).
    int execute();

    int helpContext() const { return m_helpContext; }
    int lastResult() const { return m_result; }
    bool endedByButton() const { return m_byButton; }

    // Client width of the window as the layout rules reckon it.
    static constexpr int kBaseWidth = 275;
    static constexpr int kOneLineHeight = 71;
    static constexpr int kButtonWidth = 73;
    static constexpr int kButtonHeight = 25;
    // Slot spacing: width / (buttons + 1), halves rounded to the even neighbour.
    static int slotSpacing(int width, int buttonCount);

    QLabel* dlgLabel;
    QLabel* expInfo;
    QLabel* expConf;
    QLabel* expError;
    QLabel* expWarn;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QPushButton* cmdYes;
    QPushButton* cmdAbort;
    QPushButton* cmdNo;
    QPushButton* cmdAll;
    QPushButton* cmdRetry;
    QPushButton* cmdHelp;

private:
    QLabel* makeIcon(const char* name, int standardPixmap);
    QPushButton* makeButton(const char* name, const QString& caption, int result);
    void buttonClick(int result);
    void cmdHelpClick();
    bool oneLine() const;

    int m_helpContext = 0;
    int m_result = mrNone;
    bool m_byButton = false;
};

// The one message window, made on first use.
TfrmDialog* frmDialog();

int ShowMessageDialog(const QString& message, int kind, int buttons, int defaultButton,
                      int helpContext);
int ShowInformation(const QString& message);
int ShowError(const QString& message);
// A short notice in the toolkit's standard information box.
void ShowNotice(const QString& message);

// Where messages go while the program works without windows (an export from the command
// line): every message and notice is handed to the sink instead of being shown, and
// answered with its default button. An empty sink shows windows again.
using MessageSink = std::function<void(const QString& message, int kind)>;
void setMessageSink(MessageSink sink);
