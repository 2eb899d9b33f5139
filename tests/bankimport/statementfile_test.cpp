// Files as the import opens them: the format told by the content, and files that give no statement.
#include "bankimport/statementfile.h"
#include "fixtures.h"

#include "qtprint.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

TEST(StatementFile, TheFormatIsToldByTheContentNotTheName) {
    QTemporaryDir dir;
    const std::pair<const char*, const char16_t*> cases[] = {
        {"two_accounts.ofx", u"OFX"},
        {"statement.ofx", u"OFX"},
        {"bank.qif", u"QIF"},
        {"tbank.csv", u"Выписка Т-Банка (CSV)"},
        {"custom.csv", u"CSV: столбцы по выбору"},
    };
    for (const auto& [fixture, format] : cases) {
        // Saved under a wrong name and under none.
        for (const char* name : {"statement.txt", "statement.qif", "statement"}) {
            const QString path =
                Write(dir, QString::fromLatin1(name), FixtureBytes(QString::fromLatin1(fixture)));
            EXPECT_EQ(ReadStatementFile(path).format, QString::fromUtf16(format))
                << fixture << " as " << name;
        }
    }
}

TEST(StatementFile, FilesThatGiveNoStatementAreToldWhy) {
    QTemporaryDir dir;
    const QString huge = dir.filePath(QStringLiteral("huge.csv"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Дата;Сумма\n");
        // Sparse: the size is all that is looked at.
        ASSERT_TRUE(file.resize(kMaxStatementBytes + 1));
    }
    const std::pair<QString, const char16_t*> cases[] = {
        {dir.filePath(QStringLiteral("missing.csv")), u"файла нет"},
        {dir.path(), u"это папка, а не файл"},
        {huge, u"файл слишком большой (201 МБ), выписка может быть не больше 200 МБ"},
        {Write(dir, QStringLiteral("empty.csv"), QByteArray()), u"файл пуст"},
        {Write(dir, QStringLiteral("photo.csv"),
               QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01", 12) + QByteArray(300, '\x07')),
         u"это не текст, а двоичные данные"},
        {Write(dir, QStringLiteral("notes.txt"), "Купить хлеб\nПозвонить маме\n"),
         u"не найдены столбцы с датой и суммой операции"},
    };
    for (const auto& [path, reason] : cases) {
        const TStatement st = ReadStatementFile(path);
        EXPECT_EQ(st.error, QString::fromUtf16(reason)) << path.toStdString();
        EXPECT_TRUE(st.operations.isEmpty());
        EXPECT_FALSE(st.Ok());
    }
}

TEST(StatementFile, AFileThatCannotBeOpenedIsToldSo) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    QTemporaryDir dir;
    const QString path = Write(dir, QStringLiteral("secret.csv"), "Дата;Сумма\n01.01.2026;1\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    EXPECT_EQ(ReadStatementFile(path).error, QStringLiteral("нет права читать файл"));
}

} // namespace
