#include "ui/datefield.h"

#include <QDateEdit>

QDateEdit* MakeDateField(const QString& objectName) {
    auto* d = new QDateEdit;
    d->setObjectName(objectName);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setCalendarPopup(true);
    d->setMinimumWidth(120);
    return d;
}
