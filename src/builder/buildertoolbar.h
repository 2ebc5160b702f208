#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Navigator;
class QCheckBox;
class QLineEdit;
class QPushButton;
class TextControl;
class ToolPanel;

// The template author's toolbar: edits the navigator's outline and writes it as a
// structure file, tags the plan text's sections for the navigator, marks guidance text
// and saves the plan text and the guidance pane as they stand.
//
// It works on the plan text, the guidance pane and the navigator it is given, and reaches
// the rest of the program only through the links below.
class BuilderToolbar : public QObject {
    Q_OBJECT
public:
    struct Links {
        // Writes the outline to "struct.nav"; false once it has told the user why not.
        std::function<bool()> writeStructure;
        // A line in the status bar.
        std::function<void(const QString&)> showStatus;
        // The plan text was changed by a command here.
        std::function<void()> markModified;
    };

    // Fills `panel` with the toolbar's fields and buttons.
    BuilderToolbar(ToolPanel& panel, TextControl& text, TextControl& guidance,
                   Navigator& navigator, Links links, QObject* parent = nullptr);

    // --- Fields (objectName = member name) --------------------------------------------
    QLineEdit* Edit6 = nullptr; // caption of a new navigator item
    QLineEdit* Edit5 = nullptr; // section tag for NTag
    QLineEdit* Edit3 = nullptr; // section tag to look for (hidden)
    QLineEdit* Edit1 = nullptr; // the PTag at the caret, after every navigator run
    QCheckBox* chkRed = nullptr;

    QPushButton* cmdAddPeer = nullptr;
    QPushButton* cmdMakeChild = nullptr;
    QPushButton* cmdRemoveItem = nullptr;
    QPushButton* cmdWriteToDB = nullptr;
    QPushButton* cmdptag = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* ExplorerButton3 = nullptr;
    QPushButton* ExplorerButton4 = nullptr;
    QPushButton* ExplorerButton2 = nullptr; // hidden
    QPushButton* ExplorerButton5 = nullptr;
    QPushButton* cmdBlue = nullptr;
    QPushButton* cmdRed = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button1 = nullptr;

    // --- Handlers ---------------------------------------------------------------------
    void cmdAddPeerClick();
    void cmdMakeChildClick();
    void cmdRemoveItemClick();
    void cmdWriteToDBClick();
    void cmdptagClick();
    void Button2Click();
    void ExplorerButton3Click();
    void ExplorerButton4Click();
    void ExplorerButton2Click();
    void ExplorerButton5Click();
    void cmdBlueClick();
    void cmdRedClick();
    void Button3Click();
    void Button1Click();
    void chkRedClick();

    // Shows the caret's PTag in Edit1; the navigator calls for it after every run.
    void ShowCaretPTag();

    // The HTag that Button1 writes; nothing else in the program reads it.
    static constexpr int BusinessNameTag = 1001;

private:
    void build(ToolPanel& panel);
    void markModified();
    void showStatus(const QString& message);

    TextControl& m_text;
    TextControl& m_guidance;
    Navigator& m_nav;
    Links m_links;
};
