#pragma once

#include <QObject>

class DividerBar;
class IniFile;
class QAbstractButton;
class QAction;
class QMainWindow;
class QMenu;
class QStatusBar;
class QVBoxLayout;
class QWidget;
class ToolPanel;

// The main window's widgets whose showing the user chooses.
struct ViewWidgets {
    QMainWindow* window = nullptr;
    QVBoxLayout* toolArea = nullptr; // holds the toolbars, in their order
    ToolPanel* docStandard = nullptr;
    ToolPanel* docFormatting = nullptr;
    ToolPanel* docBuilder = nullptr;
    QStatusBar* Statusbar1 = nullptr;
    QWidget* Panel1 = nullptr; // the navigator's row
    QWidget* Panel3 = nullptr; // the outline's panel
    DividerBar* JPSplitter1 = nullptr;
    DividerBar* JPSplitter2 = nullptr;
    QMenu* mnuToolbars = nullptr;
    QAction* mnuStandard = nullptr;
    QAction* mnuFormatting = nullptr;
    QAction* mnuBuilder = nullptr;
    QAction* mnuStatusbar = nullptr;
    QAction* mnuNavigator = nullptr;
    QAbstractButton* cmdHideNav = nullptr;
};

// The View menu's choices (toolbars, status bar, navigator) and the window's place and
// dividers: read from the settings at start, stored when the window closes.
class WindowView : public QObject {
    Q_OBJECT
public:
    explicit WindowView(const ViewWidgets& widgets, QObject* parent = nullptr);

    void mnuStandardClick();
    void mnuFormattingClick();
    void mnuBuilderClick();
    void mnuStatusbarClick();
    void cmdHideNavClick();
    void SetNavigatorShown(bool shown);
    // For template authors (the command line's --builder): the builder's item joins
    // View > Toolbars and its toolbar shows. Nothing else offers it.
    void OfferBuilder();

    // The window's geometry, dividers and view choices as the settings keep them.
    void readSettings(const IniFile& ini);
    void writeSettings(IniFile& ini) const;

private:
    void placeToolbarsInOrder();

    ViewWidgets m_w;
};
