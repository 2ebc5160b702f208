#include "editor/dicfrm.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TfrmDic::TfrmDic(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDic"));
    setWindowTitle(tr("Spelling"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblWrong = new QLabel(tr("&Not in Dictionary:"), this);
    lblWrong->setObjectName(QStringLiteral("lblWrong"));
    txtWrong = new QLineEdit(this);
    txtWrong->setObjectName(QStringLiteral("txtWrong"));
    txtWrong->setReadOnly(true);
    lblWrong->setBuddy(txtWrong);

    lblRight = new QLabel(tr("&Change To:"), this);
    lblRight->setObjectName(QStringLiteral("lblRight"));
    txtRight = new QLineEdit(this);
    txtRight->setObjectName(QStringLiteral("txtRight"));
    lblRight->setBuddy(txtRight);

    lblSuggestions = new QLabel(tr("&Suggestions:"), this);
    lblSuggestions->setObjectName(QStringLiteral("lblSuggestions"));
    lstSuggestions = new QListWidget(this);
    lstSuggestions->setObjectName(QStringLiteral("lstSuggestions"));
    lstSuggestions->setSelectionMode(QAbstractItemView::SingleSelection);
    lblSuggestions->setBuddy(lstSuggestions);

    auto makeButton = [this](const char* name, const QString& caption, int result) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    cmdChange = makeButton("cmdChange", tr("&Change"), Change);
    cmdIgnore = makeButton("cmdIgnore", tr("&Ignore"), Ignore);
    cmdIgnoreAll = makeButton("cmdIgnoreAll", tr("I&gnore All"), IgnoreAll);
    cmdAdd = makeButton("cmdAdd", tr("&Add"), Add);
    cmdCancel = makeButton("cmdCancel", tr("Cancel"), Cancel);
    cmdChange->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(10, 10, 10, 10);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    grid->addWidget(lblWrong, 0, 0);
    grid->addWidget(txtWrong, 0, 1);
    grid->addWidget(lblRight, 1, 0);
    grid->addWidget(txtRight, 1, 1);
    grid->addWidget(lblSuggestions, 2, 0, 1, 2);
    grid->addWidget(lstSuggestions, 3, 0, 1, 2);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(cmdIgnore);
    buttons->addWidget(cmdIgnoreAll);
    buttons->addSpacing(8);
    buttons->addWidget(cmdChange);
    buttons->addWidget(cmdAdd);
    buttons->addStretch(1);
    buttons->addWidget(cmdCancel);
    grid->addLayout(buttons, 0, 2, 4, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(3, 1);

    connect(lstSuggestions, &QListWidget::itemClicked, this, &TfrmDic::lstSuggestionsClick);
    connect(lstSuggestions, &QListWidget::itemDoubleClicked, this,
            &TfrmDic::lstSuggestionsDblClick);
    // Moving through the list with the keyboard picks the suggestion as a click does.
    connect(lstSuggestions, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (lstSuggestions->hasFocus()) lstSuggestionsClick(item);
    });
    connect(txtRight, &QLineEdit::textChanged, this, &TfrmDic::txtRightChange);

    resize(440, 250);
}

void TfrmDic::fill(const QString& word, const QStringList& suggestions) {
    txtWrong->setText(word);
    lstSuggestions->blockSignals(true);
    lstSuggestions->clear();
    txtRight->clear();
    if (!suggestions.isEmpty()) {
        lstSuggestions->addItems(suggestions);
        lstSuggestions->setCurrentRow(0);
        txtRight->setText(suggestions.first());
    }
    lstSuggestions->blockSignals(false);
    txtRightChange();
}

int TfrmDic::execute() {
    QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.moveCenter(area.center());
        move(frame.topLeft());
    }
    txtRight->setFocus();
    txtRight->selectAll();
    return exec();
}

void TfrmDic::lstSuggestionsClick(QListWidgetItem* item) {
    if (item) txtRight->setText(item->text());
}

void TfrmDic::lstSuggestionsDblClick(QListWidgetItem* item) {
    if (!item) return;
    txtRight->setText(item->text());
    done(Change);
}

// Change with an empty box would delete the word; a slip of the Enter key must not do that.
void TfrmDic::txtRightChange() {
    cmdChange->setEnabled(!txtRight->text().trimmed().isEmpty());
}
