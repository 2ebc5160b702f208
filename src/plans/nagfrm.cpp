#include "plans/nagfrm.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tfrmopennag::Tfrmopennag(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tfrmopennag"));
    setWindowTitle(QStringLiteral("Data entry"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("You must enter : Company Name"), this);
    auto* label2 = new QLabel(QStringLiteral("SBU Name"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label2->setObjectName(QStringLiteral("Label2"));
    label2->setIndent(label->fontMetrics().horizontalAdvance(QStringLiteral("You must enter : ")));
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("BitBtn1"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(label);
    layout->addWidget(label2);
    layout->addSpacing(8);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    setFixedSize(sizeHint().expandedTo(QSize(260, 110)));
}
