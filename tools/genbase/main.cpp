// Writes a large realistic base into a data root:
//   vm_genbase [--scale K] <data root> [base name] [expenses incomes debts returns-per-debt plans transfers]
#include "basegenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const char kUsage[] =
    "usage: vm_genbase [--scale K] [--] <data root> [base name]\n"
    "                  [expenses incomes debts returns plans transfers]\n"
    "\n"
    "Writes a large base for benchmarks and tests into <data root>/BASE/<base name> (default Base1),\n"
    "with the user \"Мама\" (empty password) as its administrator. The counts default to\n"
    "100000 20000 2000 5 5000 1000 (about 10 MB of files); counts given after the base name\n"
    "replace them.\n"
    "\n"
    "  --scale K    K times the default expenses, incomes, plans and transfers; the debts and\n"
    "               their returns stay (--scale 10: a million expenses, about 75 MB)\n"
    "  -h, --help   show this text and exit\n"
    "  --           what follows is not an option, even when it starts with \"-\"\n";

int Refuse(const QString& why) {
    std::fprintf(stderr, "vm_genbase: %s\n\n%s", qPrintable(why), kUsage);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args;
    bool options = true;
    int scale = 1;
    const QStringList given = app.arguments().mid(1);
    // An option taken for the data root would write a base of many megabytes where nobody wants it.
    for (qsizetype a = 0; a < given.size(); ++a) {
        const QString& arg = given[a];
        if (options && arg == QLatin1String("--scale")) {
            bool ok = false;
            scale = a + 1 < given.size() ? given[++a].toInt(&ok) : 0;
            if (!ok || scale < 1 || scale > 100)
                return Refuse(QStringLiteral("--scale wants a whole number from 1 to 100"));
        } else if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("-h") || arg == QLatin1String("--help"))) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (options && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return Refuse(QStringLiteral("unknown option '%1'").arg(arg));
        } else {
            args << arg;
        }
    }
    if (args.isEmpty()) return Refuse(QStringLiteral("no data root given"));
    if (args[0].isEmpty()) return Refuse(QStringLiteral("the data root is empty"));
    TBaseSize size = TBaseSize::Scaled(scale);
    int* fields[] = {&size.expenses,       &size.incomes, &size.debts,
                     &size.returnsPerDebt, &size.plans,   &size.transfers};
    constexpr int kCounts = int(sizeof fields / sizeof fields[0]);
    if (args.size() > 2 + kCounts) return Refuse(QStringLiteral("too many arguments"));
    for (int i = 2; i < args.size(); ++i) {
        bool ok = false;
        const int n = args[i].toInt(&ok);
        if (!ok || n < 0) return Refuse(QStringLiteral("'%1' is not a count").arg(args[i]));
        *fields[i - 2] = n;
    }
    const QString folder = GenerateBase(args[0], args.value(1, QStringLiteral("Base1")), size);
    std::printf("%s\n", qPrintable(folder));
    return 0;
}
