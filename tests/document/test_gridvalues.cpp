#include "document/GridValues.h"

#include <QtTest>

Q_DECLARE_METATYPE(TAxisMapping)

class TestGridValues : public QObject {
    Q_OBJECT
private slots:
    void roundValuesOfEachAxis_data();
    void roundValuesOfEachAxis();
};

void TestGridValues::roundValuesOfEachAxis_data()
{
    QTest::addColumn<TAxisMapping>("kind");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<QList<double>>("values");
    QTest::newRow("0 to 100") << amLinear << 0.0 << 100.0 << QList<double>{0, 20, 40, 60, 80, 100};
    QTest::newRow("backward") << amLinear << 100.0 << 0.0 << QList<double>{0, 20, 40, 60, 80, 100};
    QTest::newRow("ends not round") << amLinear << -3.7 << 12.0 << QList<double>{0, 5, 10};
    QTest::newRow("0 to 4") << amLinear << 0.0 << 4.0 << QList<double>{0, 1, 2, 3, 4};
    QTest::newRow("three decades") << amLog10 << 1.0 << 1000.0
                                   << QList<double>{1, 2, 5, 10, 20, 50, 100, 200, 500, 1000};
    QTest::newRow("twelve decades") << amLog10 << 1e-3 << 1e9 << QList<double>{1e-3, 0.1, 10, 1e3, 1e5, 1e7, 1e9};
    QTest::newRow("log from 0") << amLog10 << 0.0 << 10.0 << QList<double>{};
    QTest::newRow("no extent") << amLinear << 5.0 << 5.0 << QList<double>{};
}

void TestGridValues::roundValuesOfEachAxis()
{
    QFETCH(TAxisMapping, kind);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(QList<double>, values);
    const std::vector<double> got = GridValues(kind, a, b);
    QCOMPARE(qsizetype(got.size()), values.size());
    for (qsizetype i = 0; i < values.size(); ++i)
        QVERIFY2(std::abs(got[std::size_t(i)] - values[i]) <= 1e-12 * std::max(1.0, std::abs(values[i])),
                 qPrintable(QString::number(got[std::size_t(i)])));
}

QTEST_GUILESS_MAIN(TestGridValues)
#include "test_gridvalues.moc"
