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
    // The whole title; the strip shows it cut short with "…" where it would reach the button.
    QString Title() const { return m_text; }
    QString ShownTitle() const;
    QLabel* TitleLabel() const { return m_title; }
    QToolButton* AutoSizeButton() const { return m_autoSize; }

Q_SIGNALS:
    void AutoSizeClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowTitle();

    QString m_text;
    QLabel* m_title;
    QToolButton* m_autoSize;
};
