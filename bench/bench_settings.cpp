// Reading a 1 MB settings file: many keys, and many values in one key.
#include "platform/Registry.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

namespace {

QString SettingsFile(bool manyKeys)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(manyKeys ? QStringLiteral("keys.conf") : QStringLiteral("values.conf"));
    if (QFile::exists(path))
        return path;
    QByteArray text;
    if (manyKeys) {
        for (int i = 0; text.size() < (1 << 20); ++i)
            text += "[Software\\Kestrow\\Quillon\\Key" + QByteArray::number(i) + "]\nValue=" + QByteArray::number(i)
                    + "\n\n";
    } else {
        text = "[Software\\Kestrow\\Quillon\\General]\n";
        for (int i = 0; text.size() < (1 << 20); ++i)
            text += "Value" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\n";
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text);
    return path;
}

void BM_ReadSettings(benchmark::State& state)
{
    const QString path = SettingsFile(state.range(0) == 0);
    for (auto _ : state) {
        TRegistry store(path);
        benchmark::DoNotOptimize(store.KeyExists(QStringLiteral("\\Software")));
    }
}
// 0: 1 MB of keys with one value each; 1: one key holding 1 MB of values.
BENCHMARK(BM_ReadSettings)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
