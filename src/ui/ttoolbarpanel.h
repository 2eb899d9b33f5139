#pragma once

#include <QWidget>

class QPushButton;

// The toolbar strip: the record buttons and the kinds and users buttons, laid out by their captions.
class TToolBarPanel : public QWidget {
    Q_OBJECT
public:
    explicit TToolBarPanel(QWidget* parent = nullptr);

    QPushButton* PravkaButton() const { return m_pravka; }
    QPushButton* DeleteButton() const { return m_delete; }
    QPushButton* AddVidButton() const { return m_addVid; }
    QPushButton* DelVidButton() const { return m_delVid; }
    QPushButton* RenameVidButton() const { return m_renameVid; }
    QPushButton* BaseUserButton() const { return m_baseUser; }
    QPushButton* ParolButton() const { return m_parol; }

    // "Изменить запись", or "Принять" while a kinds edit is open.
    void SetAcceptMode(bool accept);
    // Captions, widths and places; the short captions when the kinds buttons would not fit.
    void LayOut(int availableWidth);
    bool ShortCaptions() const { return m_short; }

private:
    void Place(bool shortCaptions);

    QPushButton* m_pravka;
    QPushButton* m_delete;
    QPushButton* m_addVid;
    QPushButton* m_delVid;
    QPushButton* m_renameVid;
    QPushButton* m_baseUser;
    QPushButton* m_parol;
    bool m_accept = false;
    bool m_short = false;
};
