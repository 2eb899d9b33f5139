#pragma once

#include <QFrame>
#include <QList>
#include <QPixmap>
#include <QTimer>

class QLabel;

// One section button: the section's icon over its text, the lowered edge when chosen, and the hover
// highlight.
class TSectionButton : public QFrame {
    Q_OBJECT
public:
    TSectionButton(int index, const QString& text, const QString& iconStem, const QString& programFolder,
                   QWidget* parent = nullptr);
    int Index() const { return m_index; }
    void SetChosen(bool chosen);
    void SetHighlighted(bool on);
    bool Highlighted() const { return m_highlighted; }
    // Places icon and text for the button's height.
    void LayOut();
    int IconSize() const { return m_iconSize; }
    QString Text() const;

Q_SIGNALS:
    void Clicked(int index);
    void Hovered(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Repaint();

    int m_index;
    QLabel* m_icon;
    QLabel* m_text;
    QList<QPair<int, QPixmap>> m_icons; // size -> picture
    bool m_chosen = false;
    bool m_highlighted = false;
    int m_iconSize = 40;
};

// The column of the six section buttons at the left of the main window.
class TSectionPanel : public QFrame {
    Q_OBJECT
public:
    explicit TSectionPanel(const QString& programFolder, QWidget* parent = nullptr);
    void SetChosen(int index);
    TSectionButton* Button(int index) const { return m_buttons.value(index); }
    // The icon size for a button height.
    static int IconSizeFor(int buttonHeight);
    // Button width and height for the panel's client size.
    static QSize ButtonSize(int clientWidth, int clientHeight);

Q_SIGNALS:
    void SectionClicked(int index);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CheckHover();

    QList<TSectionButton*> m_buttons;
    QTimer m_hoverTimer; // MainBtnPanelTimer
};
