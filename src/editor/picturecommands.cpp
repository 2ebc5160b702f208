#include "editor/picturecommands.h"

#include "controls/text/pictures.h"
#include "controls/text/textcontrol.h"
#include "dialogs/dialogfrm.h"

#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr double kPointsPerCm = 72.0 / 2.54;

} // namespace

TdlgPicture::TdlgPicture(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgPicture"));
    setWindowTitle(QStringLiteral("Picture"));
    setModal(true);
    auto* grid = new QGridLayout;
    const auto spin = [this](const char* name) {
        auto* s = new QDoubleSpinBox(this);
        s->setObjectName(QLatin1String(name));
        s->setRange(0.1, 60);
        s->setDecimals(2);
        s->setSingleStep(0.5);
        s->setSuffix(QStringLiteral(" cm"));
        return s;
    };
    spnWidth = spin("spnWidth");
    spnHeight = spin("spnHeight");
    auto* lblWidth = new QLabel(QStringLiteral("&Width:"), this);
    lblWidth->setBuddy(spnWidth);
    auto* lblHeight = new QLabel(QStringLiteral("&Height:"), this);
    lblHeight->setBuddy(spnHeight);
    chkKeepProportions = new QCheckBox(QStringLiteral("&Keep proportions"), this);
    chkKeepProportions->setObjectName(QStringLiteral("chkKeepProportions"));
    chkKeepProportions->setChecked(true);
    grid->addWidget(lblWidth, 0, 0);
    grid->addWidget(spnWidth, 0, 1);
    grid->addWidget(lblHeight, 1, 0);
    grid->addWidget(spnHeight, 1, 1);
    grid->addWidget(chkKeepProportions, 2, 0, 1, 2);
    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    buttons->addStretch();
    auto* all = new QHBoxLayout(this);
    all->addLayout(grid);
    all->addLayout(buttons);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(spnWidth, &QDoubleSpinBox::valueChanged, this, [this] { widthChanged(); });
    connect(spnHeight, &QDoubleSpinBox::valueChanged, this, [this] { heightChanged(); });
}

void TdlgPicture::setPictureSize(QSizeF points) {
    m_updating = true;
    m_aspect = points.height() > 0 ? points.width() / points.height() : 1;
    spnWidth->setValue(points.width() / kPointsPerCm);
    spnHeight->setValue(points.height() / kPointsPerCm);
    m_updating = false;
}

QSizeF TdlgPicture::pictureSize() const {
    return QSizeF(spnWidth->value() * kPointsPerCm, spnHeight->value() * kPointsPerCm);
}

void TdlgPicture::widthChanged() {
    if (m_updating || !chkKeepProportions->isChecked() || m_aspect <= 0) return;
    m_updating = true;
    spnHeight->setValue(spnWidth->value() / m_aspect);
    m_updating = false;
}

void TdlgPicture::heightChanged() {
    if (m_updating || !chkKeepProportions->isChecked()) return;
    m_updating = true;
    spnWidth->setValue(spnHeight->value() * m_aspect);
    m_updating = false;
}

namespace PictureCommands {

bool insertPictureFile(TextControl* atx, const QString& fileName) {
    if (!atx) return false;
    const QString shown = QDir::toNativeSeparators(fileName);
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowError(QStringLiteral("The picture \"%1\" cannot be read: %2").arg(shown, file.errorString()));
        return false;
    }
    // The size is looked at before the bytes are read, let alone decoded.
    if (file.size() > Pictures::kMaxBytes) {
        ShowError(QStringLiteral("The picture \"%1\" cannot be inserted. %2")
                      .arg(shown, Pictures::tooLargeMessage()));
        return false;
    }
    QString error;
    if (!atx->insertPictureData(file.readAll(), QSizeF(), &error)) {
        ShowError(QStringLiteral("The picture \"%1\" cannot be inserted. %2").arg(shown, error));
        return false;
    }
    atx->setFocus();
    return true;
}

bool insertPicture(TextControl* atx, QWidget* parent) {
    if (!atx || atx->WriteProtect()) return false;
    QFileDialog dialog(parent, QStringLiteral("Insert Picture"));
    dialog.setObjectName(QStringLiteral("dlgInsertPicture"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("Pictures (*.png *.jpg *.jpeg)"),
                           QStringLiteral("All files (*)")});
    // Where the owner keeps pictures, or where the last one came from; never the
    // program's own folder, which the working folder may be.
    static QString lastFolder;
    QString folder = lastFolder;
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    dialog.setDirectory(folder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    const QString file = dialog.selectedFiles().first();
    lastFolder = QFileInfo(file).absolutePath();
    return insertPictureFile(atx, file);
}

int pictureAtCaret(TextControl* atx) {
    if (!atx) return -1;
    const int selected = atx->selectedPicture();
    if (selected >= 0) return selected;
    if (atx->SelLength() != 0) return -1;
    const int at = atx->SelStart();
    if (!atx->pictureSize(at).isEmpty()) return at;
    if (at > 0 && !atx->pictureSize(at - 1).isEmpty()) return at - 1;
    return -1;
}

bool formatPicture(TextControl* atx, TdlgPicture* dialog) {
    const int at = pictureAtCaret(atx);
    if (at < 0) {
        ShowInformation(QStringLiteral("Select a picture first."));
        return false;
    }
    if (atx->WriteProtect() || !dialog) return false;
    const QSizeF before = atx->pictureSize(at);
    dialog->setPictureSize(before);
    if (dialog->exec() != QDialog::Accepted) return false;
    const QSizeF after = dialog->pictureSize();
    if (qAbs(after.width() - before.width()) < 0.01 && qAbs(after.height() - before.height()) < 0.01)
        return false;
    return atx->setPictureSize(at, after);
}

void attach(TextControl* atx) {
    if (!atx) return;
    QObject::connect(atx, &TextControl::pictureRefused, atx, [](const QString& why) {
        ShowError(QStringLiteral("The picture cannot be pasted. %1").arg(why));
    });
}

} // namespace PictureCommands
