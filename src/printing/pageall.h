#pragma once

#include <QDialog>
#include <QFrame>
#include <QRect>
#include <QSizeF>

#include <array>
#include <utility>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

// Margins of a printed page, inches.
struct PageMargins {
    double left = 1;
    double right = 1;
    double top = 1;
    double bottom = 1;
    bool operator==(const PageMargins&) const = default;
};

// How the budget sheet prints: what page setup shows and sets on the sheet.
struct SheetPrintSettings {
    int scale = 100; // percent
    int pagesHigh = 1;
    int pagesWide = 2;
    bool fit = true; // fit to pagesWide by pagesHigh pages rather than scale
    bool vCenter = false;
    bool hCenter = false;
    PageMargins margins;
    bool landscape = true;
    bool operator==(const SheetPrintSettings&) const = default;

    // The values taken when the sheet cannot be asked; the centring stays as it was.
    static SheetPrintSettings fallback(const SheetPrintSettings& previous) {
        SheetPrintSettings s;
        s.vCenter = previous.vCenter;
        s.hCenter = previous.hCenter;
        return s;
    }
};

// Whether the margins leave a text area on a printable page of `printable` inches: the
// two margins of a direction and a tenth of an inch must fit across it.
bool marginsFitPage(const PageMargins& m, QSizeF printable);

// Where the parts of a page thumbnail lie inside their panel, pixels.
struct Thumbnail {
    QRect paper;  // the sheet
    QRect shadow; // behind it, 5 pixels right and down
    QRect frame;  // the margins, drawn at half their size
    QRect sample; // the sample text inside the frame
};
// A thumbnail of a page of `page` inches with margins `m`. The paper's long side is 90
// pixels. Without `paperTop` (below 0) the paper stands 10 pixels from the top when
// portrait and is centred from top to bottom when landscape; with it, at that top. A
// portrait sheet is centred from side to side, a landscape one starts 50 pixels left of
// the middle. A frame dimension whose text area is under 2 pixels is drawn 4 pixels wide,
// across always and down when `minimumDown`.
// `paperLeft` (0 or more) places the sheet's left edge instead.
Thumbnail pageThumbnail(QSize panel, QSizeF page, bool landscape, const PageMargins& m,
                        bool minimumDown, int paperTop = -1, int paperLeft = -1);

// A panel showing a page thumbnail: the sheet with its shadow, the margins and sample text.
class ThumbnailPanel : public QFrame {
    Q_OBJECT
public:
    explicit ThumbnailPanel(const QString& name, QWidget* parent = nullptr);
    void setThumbnail(const Thumbnail& t);
    const Thumbnail& thumbnail() const { return m_thumb; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Thumbnail m_thumb;
};

// Page setup of the plan and the budget at once: the plan's paper size, paper source,
// orientation and margins, and how the budget sheet prints.
class Tfrmpagesetupall : public QDialog {
    Q_OBJECT
public:
    explicit Tfrmpagesetupall(QWidget* parent = nullptr);

    // Shows the window on these values. "OK" gives back the window's values and returns
    // true; "Cancel" changes none and puts the printer's paper back as it was. The paper
    // size, source and orientation chosen go to the printer at once.
    bool Execute(PageMargins& plan, SheetPrintSettings& sheet);

    // Whether the plan prints with a contents page: shown by the next Execute, set by
    // its "OK".
    void setContentsPage(bool on) { m_contents = on; }
    bool contentsPage() const { return m_contents; }

    // What the window holds now.
    PageMargins planMargins() const { return m_plan; }
    SheetPrintSettings sheetSettings() const { return m_sheet; }

    QRadioButton* rbPortrait = nullptr;
    QRadioButton* rbLandscape = nullptr;
    QLineEdit* txtLeftMargin = nullptr;
    QLineEdit* txtTopMargin = nullptr;
    QLineEdit* txtRightMargin = nullptr;
    QLineEdit* txtBottomMargin = nullptr;
    ThumbnailPanel* pnlPlan = nullptr;
    QCheckBox* chkContents = nullptr;
    QRadioButton* rbCPortrait = nullptr;
    QRadioButton* rbCLandscape = nullptr;
    QLineEdit* txtCLeftMargin = nullptr;
    QLineEdit* txtCTopMargin = nullptr;
    QLineEdit* txtCRightMargin = nullptr;
    QLineEdit* txtCBottomMargin = nullptr;
    QCheckBox* chkCH = nullptr;
    QCheckBox* chkCV = nullptr;
    QLineEdit* edPH = nullptr;
    QLineEdit* edPW = nullptr;
    QLabel* lblPH = nullptr;
    QLabel* lblPW = nullptr;
    QComboBox* comZoom = nullptr;
    QCheckBox* chkFit = nullptr;
    ThumbnailPanel* pnlCashflow = nullptr;
    QComboBox* cbSize = nullptr;
    QComboBox* cbSource = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;

    void FormShow();
    void cmdOkClick();
    void Redraw();

public slots:
    void reject() override;

private:
    void cbSizeChange();
    void cbSourceChange();
    void planOrientationClick();
    void sheetOrientationClick(bool landscape);
    void marginExit(QLineEdit* box, double* value);
    void pagesExit(QLineEdit* box, int* value);
    void chkFitClick();
    void commitEdits();
    // Each margin box with the value it sets.
    std::array<std::pair<QLineEdit*, double*>, 8> marginFields();
    void fillPaperLists();

    PageMargins m_plan;
    PageMargins m_openingPlan;
    SheetPrintSettings m_sheet;
    int m_openingSize = 0;
    int m_openingSource = 0;
    int m_openingOrientation = 1;
    int m_sizeIndex = -1;
    int m_sourceIndex = -1;
    bool m_contents = true;
};

extern Tfrmpagesetupall* frmpagesetupall;
