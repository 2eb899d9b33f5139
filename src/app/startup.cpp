#include "app/startup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>
#include <cstring>
#include <langinfo.h>

void UseUtf8CharacterType() {
    std::setlocale(LC_ALL, "");
    // Only the character type: dates and numbers keep the program's own forms.
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0) std::setlocale(LC_CTYPE, "C.UTF-8");
}

namespace {

// Qt's translations of Debian 12 still carry the file dialog's "Folder" and "Drive" under the
// file dialog's own name, where Qt 6.4 asks for them under its icon provider's: the file dialog's
// type column would say "Folder". The icon provider's questions are answered from the file
// dialog's translations.
class TFileTypeNames : public QTranslator {
public:
    TFileTypeNames(const QTranslator& qt, QObject* parent) : QTranslator(parent), m_qt(qt) {}

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return QString();
        const QString text = m_qt.translate("QFileDialog", sourceText, disambiguation, n);
        return text.isEmpty() ? m_qt.translate("QFileDialog", sourceText, nullptr, n) : text;
    }
    bool isEmpty() const override { return false; }

private:
    const QTranslator& m_qt;
};

} // namespace

bool LoadQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(new TFileTypeNames(*translator, &app));
    return true;
}
