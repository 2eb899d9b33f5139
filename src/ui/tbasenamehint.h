#pragma once

#include <QLabel>

class QLineEdit;
class QTimer;

// The field a base name is typed in. A character a base name never takes stays in the field as it was
// typed or pasted, told at once with a beep and the hint "Недопустимые символы ..." under the field for a
// second; the name is then refused as a whole when it is to leave the field (Accepts). Dropping the
// character instead would turn "../evil" into "..evil", a name nobody typed. Every dialog that names a
// base shows it the same way.
class TBaseNameHint : public QLabel {
    Q_OBJECT
public:
    // The hint is a child of parent. Placed by the parent's layout, or, when floating, put under the
    // field (above it where the parent has no room below) each time it shows.
    TBaseNameHint(QLineEdit* field, QWidget* parent, bool floating);

    // The beep and the hint.
    void Show();
    // The beep and the hint under an area of the parent (floating only): a cell whose editor is closed.
    void ShowUnder(const QRect& area);
    // Whether a typed name may leave the field. One no base can have (refused characters, "..") shows
    // the hint and stays for another try.
    bool Accepts(const QString& name);

private:
    QLineEdit* m_field;
    QTimer* m_timer;
    QString m_text; // the field's text before an edit
    bool m_floating;
};
