#pragma once

#include <QFrame>

class QLabel;
class QToolButton;

// A bold title over a grid, with the button that sizes the grid's columns at its right end.
class TTitleStrip : public QFrame {
    Q_OBJECT
public:
    TTitleStrip(const QString& title, const QString& programFolder, QWidget* parent = nullptr);
    void SetTitle(const QString& title);
    QString Title() const;
    QToolButton* AutoSizeButton() const { return m_autoSize; }

Q_SIGNALS:
    void AutoSizeClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_title;
    QToolButton* m_autoSize;
};
