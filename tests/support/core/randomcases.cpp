#include "randomcases.h"

#include "core/names.h"

#include <gtest/gtest.h>
#include <iostream>

namespace tessaly::test {

namespace {

quint64 mixSeed(quint64 seed, quint64 index)
{
    quint64 z = seed + 0x9E3779B97F4A7C15ull * (index + 1); // splitmix64
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

int runCases(int cases,
             const std::function<QStringList(quint64 seed, QString& description)>& runCase)
{
    const QByteArray seedText = qgetenv("TESSALY_PROPERTY_SEED");
    const quint64 seed = seedText.isEmpty() ? std::random_device()() : seedText.toULongLong();
    if (qEnvironmentVariableIsSet("TESSALY_PROPERTY_CASES"))
        cases = qEnvironmentVariableIntValue("TESSALY_PROPERTY_CASES");
    int first = 0;
    if (qEnvironmentVariableIsSet("TESSALY_PROPERTY_ONLY")) {
        first = qEnvironmentVariableIntValue("TESSALY_PROPERTY_ONLY");
        cases = first + 1;
    }
    std::cout << "property test seed " << seed << " (TESSALY_PROPERTY_SEED repeats it)\n";
    int failures = 0;
    int ran = 0;
    for (int i = first; i < cases && failures < 3; ++i, ++ran) {
        QString description;
        const QStringList problems = runCase(mixSeed(seed, quint64(i)), description);
        if (!problems.isEmpty()) {
            ++failures;
            ADD_FAILURE() << "TESSALY_PROPERTY_SEED=" << seed << " TESSALY_PROPERTY_ONLY=" << i
                          << "\n"
                          << problems.join(u'\n').toStdString() << "\n"
                          << description.toStdString();
        }
    }
    return ran;
}

QString shown(const QByteArray& name)
{
    const FileEntry e = decodeFileName(name.constData(), name.size());
    return !e.notUtf8 ? e.name : e.name + QStringLiteral(" (bytes ") + name.toHex(' ') + u')';
}

} // namespace tessaly::test
