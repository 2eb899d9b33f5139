#include "ui/ttoolbarpanel.h"

#include <QPushButton>

namespace {

QPushButton* MakeButton(const char* name, QWidget* parent) {
    auto* b = new QPushButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

} // namespace

TToolBarPanel::TToolBarPanel(QWidget* parent)
    : QWidget(parent), m_pravka(MakeButton("PravkaButton", this)), m_delete(MakeButton("DeleteButton", this)),
      m_addVid(MakeButton("AddVidButton", this)), m_delVid(MakeButton("DelVidButton", this)),
      m_renameVid(MakeButton("RenameVidButton", this)), m_baseUser(MakeButton("BaseUserButton", this)),
      m_parol(MakeButton("ParolButton", this)) {
    setObjectName(QStringLiteral("ToolBar"));
    setFixedHeight(50);
    Place(false);
}

void TToolBarPanel::SetAcceptMode(bool accept) {
    m_accept = accept;
    LayOut(width());
}

void TToolBarPanel::Place(bool shortCaptions) {
    m_short = shortCaptions;
    if (shortCaptions) {
        m_pravka->setText(m_accept ? QStringLiteral("Принять") : QStringLiteral("Исправить"));
        m_delete->setText(QStringLiteral("Удалить"));
        m_addVid->setText(QStringLiteral("Новый вид"));
        m_delVid->setText(QStringLiteral("Удалить вид"));
        m_renameVid->setText(QStringLiteral("Переименовать"));
    } else {
        m_pravka->setText(m_accept ? QStringLiteral("Принять") : QStringLiteral("Изменить запись"));
        m_delete->setText(QStringLiteral("Удалить строку"));
        m_addVid->setText(QStringLiteral("Добавить вид расхода"));
        m_delVid->setText(QStringLiteral("Удалить вид расхода"));
        m_renameVid->setText(QStringLiteral("Переименовать столбец"));
    }
    m_baseUser->setText(QStringLiteral("Базы пользователей"));
    m_parol->setText(QStringLiteral("Сменить пароль"));
    const QFontMetrics fm(font());
    const int height = fm.height() + 14;
    const int top = (50 - height) / 2;
    auto width = [&fm](QPushButton* b) {
        return int(b->text().size()) * fm.horizontalAdvance(QLatin1Char('0')) +
               fm.horizontalAdvance(QStringLiteral("9999"));
    };
    int x = 10;
    m_pravka->setGeometry(x, top, width(m_pravka), height);
    x = m_pravka->geometry().right() + 1 + 10;
    m_delete->setGeometry(x, top, width(m_delete), height);
    const int afterDelete = m_delete->geometry().right() + 1 + 10;
    x = afterDelete;
    for (QPushButton* b : {m_addVid, m_delVid, m_renameVid}) {
        b->setGeometry(x, top, width(b), height);
        x = b->geometry().right() + 1 + 10;
    }
    x = afterDelete;
    for (QPushButton* b : {m_baseUser, m_parol}) {
        b->setGeometry(x, top, width(b), height);
        x = b->geometry().right() + 1 + 10;
    }
}

void TToolBarPanel::LayOut(int availableWidth) {
    Place(false);
    if (!m_renameVid->isHidden() && m_renameVid->geometry().right() + 1 > availableWidth) Place(true);
}
