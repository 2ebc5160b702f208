#include "plans/planreminder.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

bool RemindOfTemplatePrompts(int sectionsWithPrompts, QWidget* parent,
                             const std::function<void()>& showCheck) {
    if (sectionsWithPrompts <= 0) return true;
    QDialog box(parent);
    box.setObjectName(QStringLiteral("frmPromptReminder"));
    box.setWindowTitle(QStringLiteral("Check Plan"));

    auto* icon = new QLabel(&box);
    const int side = box.style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, &box);
    icon->setPixmap(box.style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, &box)
                        .pixmap(side, side));
    icon->setAlignment(Qt::AlignTop);
    auto* message = new QLabel(&box);
    message->setObjectName(QStringLiteral("lblMessage"));
    message->setText(
        (sectionsWithPrompts == 1
             ? QStringLiteral("1 section of this plan still holds template prompts.")
             : QStringLiteral("%1 sections of this plan still hold template prompts.")
                   .arg(sectionsWithPrompts)) +
        QStringLiteral("\n\nThe blue prompts would be printed or exported as they are. Choose "
                       "Show me to see where they are, or Continue to go on."));
    message->setWordWrap(true);
    message->setMinimumWidth(340);

    auto* showMe = new QPushButton(QStringLiteral("&Show me"), &box);
    showMe->setObjectName(QStringLiteral("cmdShowMe"));
    showMe->setDefault(true);
    auto* goOn = new QPushButton(QStringLiteral("&Continue"), &box);
    goOn->setObjectName(QStringLiteral("cmdContinue"));
    goOn->setAutoDefault(false);
    // Escape or the close box: neither goes on nor opens the check.
    enum { ShowMe = 2, GoOn = 3 };
    QObject::connect(showMe, &QPushButton::clicked, &box, [&box] { box.done(ShowMe); });
    QObject::connect(goOn, &QPushButton::clicked, &box, [&box] { box.done(GoOn); });

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(8);
    top->addWidget(message, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(showMe);
    buttons->addWidget(goOn);
    auto* column = new QVBoxLayout(&box);
    column->addLayout(top);
    column->addSpacing(8);
    column->addLayout(buttons);
    column->setSizeConstraint(QLayout::SetFixedSize);

    const int answer = box.exec();
    if (answer == GoOn) return true;
    if (answer == ShowMe && showCheck) showCheck();
    return false;
}
