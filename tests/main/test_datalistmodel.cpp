#include "main/DataListModel.h"

#include "platform/CoordinateText.h"

#include <QtTest>

namespace {

std::shared_ptr<const TDataListModel::TFormat> Format(int precision)
{
    return std::make_shared<const TDataListModel::TFormat>(TDataListModel::TFormat{TViewMapping(), precision, 0});
}

TDataListModel::TRow Row(const QString& name, double x = 1)
{
    return {name, {3, 4}, true, x, 2, Format(15)};
}

QStringList Names(const TDataListModel& model)
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
    void cellsFromTheRowsNumbers();
    void rowKeepsTheFormatItWasWrittenWith();
    void modifiesEveryRowOfAName();
    void deletesEveryRowOfANameAndKeepsIndexRight();
    void captionsMatchExactly();
    void updateAddsAndRewritesInOneSignalEach();
    void updateThatMovesRowsIsOneReset();
};

void TestDataListModel::cellsFromTheRowsNumbers()
{
    TDataListModel model;
    QCOMPARE(model.columnCount(), 5);
    QCOMPARE(model.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Pixel X"));
    model.AddRow({QStringLiteral("1"), {100.5, -3.25}, true, 12.5, -0.125, Format(15)});
    model.AddRow({QStringLiteral("2"), {7, 8}, false, 1, 2, nullptr});
    QCOMPARE(model.rowCount(), 2);
    const QStringList first{model.Cell(0, 0), model.Cell(0, 1), model.Cell(0, 2), model.Cell(0, 3), model.Cell(0, 4)};
    QCOMPARE(first, (QStringList{"1", CoordinateText(12.5, 15, 0), CoordinateText(-0.125, 15, 0), "100.5", "-3.25"}));
    QCOMPARE(model.data(model.index(0, 3), Qt::DisplayRole).toString(), QStringLiteral("100.5"));
    // Written without a mapping: no data values.
    QCOMPARE(model.Cell(1, 1), QString());
    QCOMPARE(model.Cell(1, 2), QString());
    QCOMPARE(model.Cell(1, 4), QStringLiteral("8"));
}

void TestDataListModel::rowKeepsTheFormatItWasWrittenWith()
{
    TDataListModel model;
    model.AddRow({QStringLiteral("a"), {1, 1}, true, 1.0 / 3, 0, Format(3)});
    model.AddRow({QStringLiteral("b"), {1, 1}, true, 1.0 / 3, 0, Format(6)});
    QCOMPARE(model.Cell(0, 1), CoordinateText(1.0 / 3, 3, 0));
    QCOMPARE(model.Cell(1, 1), CoordinateText(1.0 / 3, 6, 0));
    QVERIFY(model.Cell(0, 1) != model.Cell(1, 1));
    // Rewritten under another format, the row shows that one.
    model.SetRowsOf(QStringLiteral("a"), {QStringLiteral("a"), {1, 1}, true, 1.0 / 3, 0, Format(6)});
    QCOMPARE(model.Cell(0, 1), model.Cell(1, 1));
}

void TestDataListModel::modifiesEveryRowOfAName()
{
    TDataListModel model;
    model.AddRow(Row(QStringLiteral("a")));
    model.AddRow(Row(QStringLiteral("b")));
    model.AddRow(Row(QStringLiteral("a")));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(model.Cell(0, 1), QStringLiteral("1"));
    model.SetRowsOf(QStringLiteral("a"), Row(QStringLiteral("a"), 5));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(model.Cell(0, 1), QStringLiteral("5"));
    QCOMPARE(model.Cell(1, 1), QStringLiteral("1"));
    QCOMPARE(model.Cell(2, 1), QStringLiteral("5"));
}

void TestDataListModel::deletesEveryRowOfANameAndKeepsIndexRight()
{
    TDataListModel model;
    for (const char* name : {"a", "b", "a", "c", "d", "b"})
        model.AddRow(Row(QString::fromLatin1(name)));
    model.DeleteRowsOf(QStringLiteral("a"));
    QCOMPARE(Names(model), (QStringList{"b", "c", "d", "b"}));
    QCOMPARE(model.rowCount(), 4);
    // The rows that moved up are still found under their names.
    model.SetRowsOf(QStringLiteral("d"), Row(QStringLiteral("d"), 7));
    QCOMPARE(model.Cell(2, 1), QStringLiteral("7"));
    model.DeleteRowsOf(QStringLiteral("b"));
    QCOMPARE(Names(model), (QStringList{"c", "d"}));
    model.SetRowsOf(QStringLiteral("c"), Row(QStringLiteral("c"), 8));
    QCOMPARE(model.Cell(0, 1), QStringLiteral("8"));
    model.AddRow(Row(QStringLiteral("a")));
    model.DeleteRowsOf(QStringLiteral("c"));
    QCOMPARE(Names(model), (QStringList{"d", "a"}));
    model.SetRowsOf(QStringLiteral("a"), Row(QStringLiteral("a"), 9));
    QCOMPARE(model.Cell(1, 1), QStringLiteral("9"));
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

void TestDataListModel::updateAddsAndRewritesInOneSignalEach()
{
    TDataListModel model;
    for (const char* name : {"a", "b", "c"})
        model.AddRow(Row(QString::fromLatin1(name)));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    {
        const TDataListModel::TUpdate outer(model);
        model.SetRowsOf(QStringLiteral("c"), Row(QStringLiteral("c"), 6));
        {
            const TDataListModel::TUpdate inner(model);
            for (int i = 0; i < 1000; ++i)
                model.AddRow(Row(QString::number(i)));
            model.SetRowsOf(QStringLiteral("b"), Row(QStringLiteral("b"), 5));
            // A row added in the update, rewritten before the views hear of it.
            model.SetRowsOf(QStringLiteral("7"), Row(QStringLiteral("7"), 9));
        }
        // Views still see the rows they were told of, the list has them all.
        QCOMPARE(inserted.size(), 0);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.Count(), 1003);
    }
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(inserted[0][1].toInt(), 3);
    QCOMPARE(inserted[0][2].toInt(), 1002);
    QCOMPARE(model.rowCount(), 1003);
    // One change over the shown rows that were rewritten, none for new ones.
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].value<QModelIndex>().row(), 1);
    QCOMPARE(changed[0][1].value<QModelIndex>().row(), 2);
    QCOMPARE(reset.size(), 0);
    QCOMPARE(model.Cell(1, 1), QStringLiteral("5"));
    QCOMPARE(model.Cell(2, 1), QStringLiteral("6"));
    QCOMPARE(model.Cell(10, 0), QStringLiteral("7"));
    QCOMPARE(model.Cell(10, 1), QStringLiteral("9"));
}

void TestDataListModel::updateThatMovesRowsIsOneReset()
{
    TDataListModel model;
    for (const char* name : {"a", "b", "c"})
        model.AddRow(Row(QString::fromLatin1(name)));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    model.BeginUpdate();
    model.AddRow(Row(QStringLiteral("d")));
    model.DeleteRowsOf(QStringLiteral("b"));
    model.SetRowsOf(QStringLiteral("a"), Row(QStringLiteral("a"), 4));
    model.Clear();
    for (int i = 0; i < 500; ++i)
        model.AddRow(Row(QString::number(i % 250)));
    model.DeleteRowsOf(QStringList{"3", "5"});
    model.EndUpdate();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(inserted.size() + removed.size() + changed.size(), 0);
    QCOMPARE(model.rowCount(), 496);
    // The index still finds each name's rows after the reset.
    model.SetRowsOf(QStringLiteral("249"), Row(QStringLiteral("249"), 3));
    QCOMPARE(model.Cell(247, 1), QStringLiteral("3"));
    QCOMPARE(model.Cell(495, 1), QStringLiteral("3"));
    QCOMPARE(changed.size(), 2);
    // An end without a beginning changes nothing.
    model.EndUpdate();
    model.AddRow(Row(QStringLiteral("x")));
    QCOMPARE(inserted.size(), 1);
    QCOMPARE(model.rowCount(), 497);
}

QTEST_GUILESS_MAIN(TestDataListModel)
#include "test_datalistmodel.moc"
