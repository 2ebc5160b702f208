#include "dialogs/dialogfrm.h"

#include "platform/helpsystem.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <cmath>

namespace {

constexpr int kLabelLeft = 52;
constexpr int kLabelTop = 8;
constexpr int kLabelMargin = 122; // label left plus the space kept on its right
constexpr int kHeightBelowLabel = 58;
constexpr int kButtonBottomGap = 28;
constexpr int kSlotOffset = 45;
constexpr QSize kIconSlot(41, 37);

QPointer<TfrmDialog> g_dialog;
MessageSink g_sink;

int resultOfButton(int button) {
    switch (button) {
    case mbYes: return mrYes;
    case mbNo: return mrNo;
    case mbOK: return mrOk;
    case mbCancel: return mrCancel;
    case mbAbort: return mrAbort;
    case mbRetry: return mrRetry;
    case mbAll: return mrAll;
    default: return mrNone;
    }
}

} // namespace

TfrmDialog::TfrmDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmDialog"));
    setModal(true);

    dlgLabel = new QLabel(this);
    dlgLabel->setObjectName(QStringLiteral("dlgLabel"));
    dlgLabel->setTextFormat(Qt::PlainText); // messages quote names typed by the user
    dlgLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    dlgLabel->setWordWrap(false);
    dlgLabel->move(kLabelLeft, kLabelTop);

    expInfo = makeIcon("expInfo", QStyle::SP_MessageBoxInformation);
    expConf = makeIcon("expConf", QStyle::SP_MessageBoxQuestion);
    expError = makeIcon("expError", QStyle::SP_MessageBoxCritical);
    expWarn = makeIcon("expWarn", QStyle::SP_MessageBoxWarning);

    cmdOk = makeButton("cmdOk", QStringLiteral("OK"), mrOk);
    cmdCancel = makeButton("cmdCancel", QStringLiteral("Cancel"), mrCancel);
    cmdYes = makeButton("cmdYes", QStringLiteral("Yes"), mrYes);
    cmdAbort = makeButton("cmdAbort", QStringLiteral("Abort"), mrAbort);
    cmdNo = makeButton("cmdNo", QStringLiteral("No"), mrNo);
    cmdAll = makeButton("cmdAll", QStringLiteral("All"), mrAll);
    cmdRetry = makeButton("cmdRetry", QStringLiteral("Retry"), mrRetry);
    cmdHelp = makeButton("cmdHelp", QStringLiteral("Help"), mrNone);
    disconnect(cmdHelp, nullptr, this, nullptr);
    connect(cmdHelp, &QPushButton::clicked, this, &TfrmDialog::cmdHelpClick);

    setFixedSize(267, kOneLineHeight);
}

QLabel* TfrmDialog::makeIcon(const char* name, int standardPixmap) {
    auto* icon = new QLabel(this);
    icon->setObjectName(QLatin1String(name));
    icon->setGeometry(QRect(QPoint(4, 4), kIconSlot));
    icon->setAlignment(Qt::AlignCenter);
    const QIcon source =
        style()->standardIcon(QStyle::StandardPixmap(standardPixmap), nullptr, this);
    // The style's pictures are 32 pixels; they are scaled to fill the slot's height.
    const int side = std::min(kIconSlot.width(), kIconSlot.height());
    const qreal dpr = devicePixelRatioF();
    QPixmap pm = source.pixmap(QSize(side, side), dpr);
    const int physical = qRound(side * dpr);
    if (!pm.isNull() && pm.height() != physical) {
        pm = pm.scaled(physical, physical, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        pm.setDevicePixelRatio(dpr);
    }
    icon->setPixmap(pm);
    icon->hide();
    return icon;
}

QPushButton* TfrmDialog::makeButton(const char* name, const QString& caption, int result) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->resize(kButtonWidth, kButtonHeight);
    b->hide();
    connect(b, &QPushButton::clicked, this, [this, result]() { buttonClick(result); });
    return b;
}

void TfrmDialog::buttonClick(int result) {
    m_result = result;
    m_byButton = true;
    done(result);
}

void TfrmDialog::cmdHelpClick() {
    HelpSystem::instance().showContext(m_helpContext);
}

int TfrmDialog::slotSpacing(int width, int buttonCount) {
    const double exact = double(width) / double(buttonCount + 1);
    const double below = std::floor(exact);
    const double rest = exact - below;
    if (rest > 0.5) return int(below) + 1;
    if (rest < 0.5) return int(below);
    return std::fmod(below, 2.0) == 0.0 ? int(below) : int(below) + 1;
}

bool TfrmDialog::oneLine() const {
    // The window's metrics were drawn for a font whose line is 13 pixels high, where a
    // label under 14 pixels was one line; for any font, one line is a label shorter than
    // a line and a half.
    const QFontMetrics fm(dlgLabel->font());
    return dlgLabel->height() * 2 < fm.lineSpacing() * 3;
}

void TfrmDialog::prepare(const QString& message, int kind, int buttons, int defaultButton,
                         int helpContext) {
    // Start from nothing.
    m_byButton = false;
    m_result = mrNone;
    for (QLabel* icon : {expInfo, expConf, expError, expWarn})
        icon->hide();
    struct Slot {
        int bit;
        QPushButton* button;
    };
    // The fixed order of the slots, left to right.
    const Slot order[] = {{mbOK, cmdOk},         {mbYes, cmdYes},     {mbNo, cmdNo},
                          {mbRetry, cmdRetry},   {mbAbort, cmdAbort}, {mbAll, cmdAll},
                          {mbCancel, cmdCancel}, {mbHelp, cmdHelp}};
    for (const Slot& s : order) {
        s.button->hide();
        s.button->setDefault(false);
    }
    int width = kBaseWidth;
    dlgLabel->resize(1, dlgLabel->height());
    m_helpContext = helpContext;

    // Icon and caption by kind; an unknown kind keeps the caption it had.
    switch (kind) {
    case mtInformation:
        expInfo->show();
        setWindowTitle(QStringLiteral("Information"));
        break;
    case mtConfirmation:
        expConf->show();
        setWindowTitle(QStringLiteral("Confirmation"));
        break;
    case mtError:
        expError->show();
        setWindowTitle(QStringLiteral("Error"));
        break;
    case mtWarning:
        expWarn->show();
        setWindowTitle(QStringLiteral("Warning"));
        break;
    default:
        break;
    }

    // The label takes the size of its text.
    dlgLabel->setText(message);
    dlgLabel->adjustSize();
    dlgLabel->move(kLabelLeft, kLabelTop);

    // Width by the number of buttons.
    int n = 0;
    for (const Slot& s : order)
        if (buttons & s.bit) ++n;
    width = n < 3 ? kBaseWidth : n * 100 + 8;

    // Height by the number of lines.
    const int height = oneLine() ? kOneLineHeight : dlgLabel->height() + kHeightBelowLabel;

    // Room for the label.
    if (width < dlgLabel->width() + kLabelMargin) width = dlgLabel->width() + kLabelMargin;
    dlgLabel->resize(width - kLabelMargin, dlgLabel->height());

    // The buttons in their slots.
    const int d = slotSpacing(width, n);
    int k = 0;
    QPushButton* focus = nullptr;
    QPushButton* first = nullptr;
    for (const Slot& s : order) {
        if (!(buttons & s.bit)) continue;
        ++k;
        s.button->setGeometry(d * k - kSlotOffset, height - kButtonBottomGap, kButtonWidth,
                              kButtonHeight);
        s.button->show();
        if (!first) first = s.button;
        // The default button: Enter presses it. Only one button can hold the
        // default, so the first requested one in slot order takes it.
        if ((defaultButton & s.bit) && !focus) {
            s.button->setDefault(true);
            focus = s.button;
        }
    }
    setFixedSize(width, height);
    if (!focus) focus = first;
    if (focus) focus->setFocus(Qt::OtherFocusReason);
}

int TfrmDialog::execute() {
    QScreen* screen = nullptr;
    QWidget* active = QApplication::activeWindow();
    if (active == this) active = nullptr;
    if (active) screen = active->screen();
    // The window belongs to nobody (it outlives every other), but it stays above the
    // window that asked.
    winId();
    if (QWindow* handle = windowHandle())
        handle->setTransientParent(active ? active->windowHandle() : nullptr);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (screen) {
        // move() places the frame; its size is known once the window has been shown.
        const QRect area = screen->availableGeometry();
        const QSize frame = isWindow() && testAttribute(Qt::WA_WState_Created)
                                ? frameGeometry().size() - size()
                                : QSize(0, 0);
        const QSize outer = size() + frame;
        move(area.x() + (area.width() - outer.width()) / 2,
             area.y() + (area.height() - outer.height()) / 2);
    }
    exec();
    return m_byButton ? m_result : int(mrNone);
}

TfrmDialog* frmDialog() {
    if (!g_dialog) g_dialog = new TfrmDialog();
    return g_dialog;
}

int ShowMessageDialog(const QString& message, int kind, int buttons, int defaultButton,
                      int helpContext) {
    if (g_sink) {
        g_sink(message, kind);
        return resultOfButton(defaultButton);
    }
    TfrmDialog* dialog = frmDialog();
    if (dialog->isVisible()) {
        // A message raised while another is still open (from a timer, say) gets a window
        // of its own rather than tearing the open one apart.
        TfrmDialog nested;
        nested.prepare(message, kind, buttons, defaultButton, helpContext);
        return nested.execute();
    }
    dialog->prepare(message, kind, buttons, defaultButton, helpContext);
    return dialog->execute();
}

int ShowInformation(const QString& message) {
    return ShowMessageDialog(message, mtInformation, mbOK, mbOK, 0);
}

int ShowError(const QString& message) {
    return ShowMessageDialog(message, mtError, mbOK, mbOK, 0);
}

void ShowNotice(const QString& message) {
    if (g_sink) {
        g_sink(message, mtInformation);
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("Information"), message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("NoticeBox"));
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void setMessageSink(MessageSink sink) {
    g_sink = std::move(sink);
}
