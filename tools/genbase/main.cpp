// Writes a large realistic base into a data root:
//   vm_genbase <data root> [base name] [expenses incomes debts returns-per-debt plans transfers]
#include "basegenerator.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: vm_genbase <data root> [base name] [expenses incomes debts returns plans transfers]\n");
        return 2;
    }
    TBaseSize size;
    int* fields[] = {&size.expenses, &size.incomes, &size.debts, &size.returnsPerDebt, &size.plans, &size.transfers};
    for (int i = 2; i < args.size() && i - 2 < 6; ++i)
        *fields[i - 2] = args[i].toInt();
    const QString folder = GenerateBase(args[0], args.value(1, QStringLiteral("Base1")), size);
    std::printf("%s\n", qPrintable(folder));
    return 0;
}
