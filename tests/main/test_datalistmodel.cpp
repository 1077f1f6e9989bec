#include "main/DataListModel.h"

#include <QtTest>

namespace {

TDataListModel::TRow Row(const QString& name, const QString& x = QStringLiteral("x"))
{
    return {name, x, QStringLiteral("y"), QStringLiteral("1"), QStringLiteral("2")};
}

QStringList Captions(const TDataListModel& model)
{
    QStringList names;
    for (int r = 0; r < model.Count(); ++r)
        names << model.Cell(r, 0);
    return names;
}

} // namespace

class TestDataListModel : public QObject {
    Q_OBJECT
private slots:
    void columnsAndCells();
    void modifiesEveryRowOfAName();
    void deletesEveryRowOfANameAndKeepsIndexRight();
    void captionsMatchExactly();
};

void TestDataListModel::columnsAndCells()
{
    TDataListModel model;
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Pixel X"));
    model.AddRow(Row(QStringLiteral("1"), QStringLiteral("12.5")));
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.data(model.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("12.5"));
}

void TestDataListModel::modifiesEveryRowOfAName()
{
    TDataListModel model;
    model.AddRow(Row(QStringLiteral("a")));
    model.AddRow(Row(QStringLiteral("b")));
    model.AddRow(Row(QStringLiteral("a")));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.SetRowsOf(QStringLiteral("a"), Row(QStringLiteral("a"), QStringLiteral("new")));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(model.Cell(0, 1), QStringLiteral("new"));
    QCOMPARE(model.Cell(1, 1), QStringLiteral("x"));
    QCOMPARE(model.Cell(2, 1), QStringLiteral("new"));
}

void TestDataListModel::deletesEveryRowOfANameAndKeepsIndexRight()
{
    TDataListModel model;
    for (const char* name : {"a", "b", "a", "c", "d", "b"})
        model.AddRow(Row(QString::fromLatin1(name)));
    model.DeleteRowsOf(QStringLiteral("a"));
    QCOMPARE(Captions(model), (QStringList{"b", "c", "d", "b"}));
    // The rows that moved up are still found under their names.
    model.SetRowsOf(QStringLiteral("d"), Row(QStringLiteral("d"), QStringLiteral("D")));
    QCOMPARE(model.Cell(2, 1), QStringLiteral("D"));
    model.DeleteRowsOf(QStringLiteral("b"));
    QCOMPARE(Captions(model), (QStringList{"c", "d"}));
    model.SetRowsOf(QStringLiteral("c"), Row(QStringLiteral("c"), QStringLiteral("C")));
    QCOMPARE(model.Cell(0, 1), QStringLiteral("C"));
    model.AddRow(Row(QStringLiteral("a")));
    model.DeleteRowsOf(QStringLiteral("c"));
    QCOMPARE(Captions(model), (QStringList{"d", "a"}));
    model.SetRowsOf(QStringLiteral("a"), Row(QStringLiteral("a"), QStringLiteral("A")));
    QCOMPARE(model.Cell(1, 1), QStringLiteral("A"));
    model.Clear();
    QCOMPARE(model.Count(), 0);
    model.SetRowsOf(QStringLiteral("a"), Row(QStringLiteral("a")));
    model.DeleteRowsOf(QStringLiteral("a"));
    QCOMPARE(model.Count(), 0);
}

void TestDataListModel::captionsMatchExactly()
{
    TDataListModel model;
    model.AddRow(Row(QStringLiteral("Peak")));
    model.DeleteRowsOf(QStringLiteral("peak"));
    QCOMPARE(model.Count(), 1);
}

QTEST_GUILESS_MAIN(TestDataListModel)
#include "test_datalistmodel.moc"
