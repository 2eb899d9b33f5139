#include "ui/tnoticeform.h"

#include "storage/datafolders.h"
#include "storage/scrambledtext.h"
#include "ui/thelpcommand.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TNoticeForm::TNoticeForm(const QString& programFolder, QWidget* parent)
    : QDialog(parent), m_programFolder(programFolder), m_link(new QLabel(this)),
      m_ok(new QPushButton(QStringLiteral("Ok"), this)) {
    setObjectName(QStringLiteral("NoticeForm"));
    setWindowTitle(AboutItemCaption());
    auto* picture = new QLabel(this);
    picture->setPixmap(QPixmap(JoinPath(programFolder, QStringLiteral("vellumora.png")))
                           .scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto* block = new QFrame(this);
    block->setFrameShape(QFrame::StyledPanel);
    auto* lines = new QVBoxLayout(block);
    QFont title = font();
    title.setBold(true);
    title.setPointSize(title.pointSize() + 3);
    auto* name = new QLabel(Unscramble({175, 251, 207, 42, 122, 95, 182, 136, 242}), block);
    name->setFont(title);
    lines->addWidget(name);
    lines->addWidget(new QLabel(
        Unscramble({61,  98,  79,  182, 133, 223, 70,  123, 49,  87, 158, 249, 192, 56,  2,   96,  174, 156,
                    251, 167, 125, 20,  106, 203, 193, 230, 200, 57, 14,  8,   188, 133, 229, 176, 43}),
        block));
    lines->addWidget(new QLabel(Unscramble({59, 123, 67, 165, 245, 161, 103, 73, 47, 4}), block));
    lines->addWidget(
        new QLabel(Unscramble({35,  99,  75,  179, 245, 128, 52,  29,  109, 56,  147, 174, 210, 40,  31,  109,
                               200, 158, 240, 167, 125, 2,   105, 183, 237, 254, 197, 126, 10,  72,  239, 237,
                               235, 194, 47,  86,  87,  190, 155, 235, 189, 90,  121, 73,  181, 159, 161}),
                   block));
    m_link->setText(
        QStringLiteral(
            "<a href=\"help\" style=\"color:#0000ff; font-weight:bold; text-decoration:underline;\">") +
        Unscramble({39, 110, 73,  166, 128, 210, 75, 90, 98,  69,  155, 238, 199, 34,
                    10, 50,  184, 146, 163, 215, 45, 14, 114, 186, 129, 248, 199, 57}) +
        QStringLiteral("</a>"));
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_link, &QLabel::linkActivated, this, [this] {
        close();
        OpenHelp(m_programFolder);
    });
    lines->addWidget(m_link);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addWidget(block, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
}
