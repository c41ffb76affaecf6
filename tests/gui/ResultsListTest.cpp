// The results list on its own: columns, rows, thresholds re-applied, sorting by header
// clicks, the row click and the drag's file list.
#include <QFile>
#include <QHeaderView>
#include <QMimeData>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

#include "app/ResultsList.h"
#include "match/Matcher.h"
#include "match/Results.h"
#include "render/GlyphRenderer.h"

using lettrino::ResultsList;
using lettrino::results::ResultRow;

namespace {

ResultRow folderRow(const QString& file, const QString& match, const QString& font = QStringLiteral("Face"),
                    const QString& folder = QStringLiteral("/fonts"), bool bold = false) {
    ResultRow r;
    r.filename = file;
    r.match = match;
    r.font = font;
    r.xRatio = QStringLiteral("1.000");
    r.yRatio = QStringLiteral("1.000");
    r.rowTag = 3;
    r.entry = file;
    r.folder = folder;
    r.prefix = folder + QLatin1Char('/');
    r.bold = bold;
    return r;
}

QStringList column(const ResultsList& list, int col) {
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i) texts << list.topLevelItem(i)->text(col);
    return texts;
}

void clickHeader(ResultsList& list, int section) {
    QHeaderView* header = list.header();
    const QPoint at(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class ResultsListTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void columns();
    void addThenUpdate();
    void addThresholdRemovesAdjacentRows_data();
    void addThresholdRemovesAdjacentRows();
    void boldThreshold();
    void rowTexts();
    void decimalCommaWritesAndReadsBack();
    void headerClicksSortByText();
    void rowClickReportsTheFont();
    void dragOffersExistingFilesOfSelectedRows();
};

void ResultsListTest::columns() {
    ResultsList list;
    const QStringList headers{"Filename", "Match", "Font", "XRatio", "YRatio"};
    const int widths[] = {135, 45, 135, 45, 45};
    const bool centred[] = {false, true, false, true, true};
    QCOMPARE(list.columnCount(), 5);
    for (int i = 0; i < 5; ++i) {
        QCOMPARE(list.headerItem()->text(i), headers[i]);
        QCOMPARE(list.columnWidth(i), widths[i]);
        QCOMPARE(bool(list.headerItem()->textAlignment(i) & Qt::AlignHCenter), centred[i]);
    }
    QCOMPARE(list.selectionMode(), QAbstractItemView::ExtendedSelection);
}

void ResultsListTest::addThenUpdate() {
    ResultsList list;
    ResultRow first = folderRow(QStringLiteral("a.ttf"), QStringLiteral("95.00"), QStringLiteral("Alpha"));
    first.bold = true;
    QVERIFY(list.addOrUpdate(first));
    QTreeWidgetItem* row = list.topLevelItem(0);
    QCOMPARE(row->data(0, Qt::UserRole).toInt(), 3);
    QCOMPARE(row->data(1, Qt::UserRole).toString(), QStringLiteral("a.ttf"));
    QCOMPARE(row->data(2, Qt::UserRole).toString(), QStringLiteral("/fonts"));
    QVERIFY(bool(row->textAlignment(1) & Qt::AlignHCenter));
    for (int c = 0; c < 5; ++c) QVERIFY(row->font(c).bold());

    // Same item text: one row, new Match and bold state, the rest as first written.
    ResultRow again = folderRow(QStringLiteral("a.ttf"), QStringLiteral("81.00"), QStringLiteral("Other"));
    again.xRatio = QStringLiteral("9.999");
    QVERIFY(!list.addOrUpdate(again));
    QCOMPARE(list.rowCount(), 1);
    QCOMPARE(row->text(1), QStringLiteral("81.00"));
    QCOMPARE(row->text(2), QStringLiteral("Alpha"));
    QCOMPARE(row->text(3), QStringLiteral("1.000"));
    for (int c = 0; c < 5; ++c) QVERIFY(!row->font(c).bold());

    // Rows removed by any means are gone for the lookup too.
    list.clear();
    QVERIFY(list.addOrUpdate(first));
    delete list.topLevelItem(0);
    QVERIFY(list.addOrUpdate(first));
    QCOMPARE(list.rowCount(), 1);
}

void ResultsListTest::addThresholdRemovesAdjacentRows_data() {
    QTest::addColumn<QStringList>("matches");
    QTest::addColumn<int>("tenths");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("adjacent low rows")
        << QStringList{"90.00", "81.00", "82.00", "95.00", "84.99"} << 850 << QStringList{"90.00", "95.00"};
    QTest::newRow("equal stays") << QStringList{"85.00", "84.99", "85.01"} << 850
                                 << QStringList{"85.00", "85.01"};
    QTest::newRow("only a full match stays at 100")
        << QStringList{"100.00", "80.00", "80.50"} << 1000 << QStringList{"100.00"};
    QTest::newRow("odd tenths") << QStringList{"80.30", "80.29"} << 803 << QStringList{"80.30"};
    QTest::newRow("unreadable text stays") << QStringList{"n/a", "84.00"} << 850 << QStringList{"n/a"};
    QTest::newRow("first rows") << QStringList{"81.00", "82.00", "99.00"} << 900 << QStringList{"99.00"};
}

void ResultsListTest::addThresholdRemovesAdjacentRows() {
    QFETCH(QStringList, matches);
    QFETCH(int, tenths);
    QFETCH(QStringList, left);
    ResultsList list;
    for (int i = 0; i < matches.size(); ++i)
        list.addOrUpdate(folderRow(QStringLiteral("f%1.ttf").arg(i), matches[i]));
    list.applyAddThreshold(tenths);
    QCOMPARE(column(list, 1), left);
    QCOMPARE(list.rowCount(), int(left.size()));
    // The removed rows are gone for good: a new row of the same name is a new row.
    if (left.size() < matches.size()) {
        QVERIFY(list.addOrUpdate(folderRow(QStringLiteral("f1.ttf"), QStringLiteral("99.50"))));
    }
}

void ResultsListTest::boldThreshold() {
    ResultsList list;
    for (const char* m : {"85.00", "84.99", "90.00", "n/a"})
        list.addOrUpdate(folderRow(QString::fromLatin1(m) + QStringLiteral(".ttf"), QString::fromLatin1(m)));
    list.applyBoldThreshold(850);
    QList<bool> bold;
    for (int i = 0; i < list.rowCount(); ++i) {
        for (int c = 1; c < 5; ++c)
            QCOMPARE(list.topLevelItem(i)->font(c).bold(), list.topLevelItem(i)->font(0).bold());
        bold << list.topLevelItem(i)->font(0).bold();
    }
    QCOMPARE(bold, (QList<bool>{true, false, true, false}));
    list.applyBoldThreshold(1000);
    for (int i = 0; i < list.rowCount(); ++i) QVERIFY(!list.topLevelItem(i)->font(0).bold());
}

void ResultsListTest::rowTexts() {
    lettrino::MatchScore score;
    score.m = 0.9;
    score.xRatio = 1.0 / 3.0;
    score.yRatio = 1.25;
    const ResultRow row =
        lettrino::results::makeRow(score, 900, QStringLiteral("a.ttf"), QStringLiteral("Face"), 7,
                                   QStringLiteral("a.ttf"), QStringLiteral("/f"), QStringLiteral("/f/"));
    QCOMPARE(row.match, QStringLiteral("90.00"));
    QCOMPARE(row.xRatio, QStringLiteral("0.333"));
    QCOMPARE(row.yRatio, QStringLiteral("1.250"));
    QCOMPARE(row.rowTag, 7);
    QVERIFY(row.bold);  // at the bold threshold
    QVERIFY(!lettrino::results::makeRow(score, 905, {}, {}, 0, {}, {}, {}).bold);
    QCOMPARE(lettrino::results::matchText(0.0), QStringLiteral("0.00"));
}

void ResultsListTest::decimalCommaWritesAndReadsBack() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(lettrino::results::matchText(0.8525), QStringLiteral("85,25"));
    ResultsList list;
    for (const char* m : {"85,00", "84,99", "90,00"})
        list.addOrUpdate(folderRow(QString::fromLatin1(m) + QStringLiteral(".ttf"), QString::fromLatin1(m)));
    list.applyAddThreshold(850);
    list.applyBoldThreshold(900);
    QLocale::setDefault(QLocale::c());
    QCOMPARE(column(list, 1), (QStringList{"85,00", "90,00"}));
    QCOMPARE(list.topLevelItem(0)->font(0).bold(), false);
    QCOMPARE(list.topLevelItem(1)->font(0).bold(), true);
}

void ResultsListTest::headerClicksSortByText() {
    ResultsList list;
    list.resize(500, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.addOrUpdate(folderRow(QStringLiteral("a.ttf"), QStringLiteral("95.00"), QStringLiteral("Beta")));
    list.addOrUpdate(folderRow(QStringLiteral("b.ttf"), QStringLiteral("100.00"), QStringLiteral("zeta")));
    list.addOrUpdate(folderRow(QStringLiteral("c.ttf"), QStringLiteral("81.00"), QStringLiteral("Alpha")));
    QCOMPARE(column(list, 0), (QStringList{"a.ttf", "b.ttf", "c.ttf"}));

    clickHeader(list, 1);  // Match, ascending: as text, "100.00" first
    QCOMPARE(column(list, 0), (QStringList{"b.ttf", "c.ttf", "a.ttf"}));
    clickHeader(list, 1);  // Match again: reversed
    QCOMPARE(column(list, 0), (QStringList{"a.ttf", "c.ttf", "b.ttf"}));
    clickHeader(list, 2);  // Font: keeps the descending order, case-insensitively
    QCOMPARE(column(list, 0), (QStringList{"b.ttf", "a.ttf", "c.ttf"}));
    QCOMPARE(list.sortOrder(), Qt::DescendingOrder);

    // New rows take their place in the current order.
    list.addOrUpdate(folderRow(QStringLiteral("d.ttf"), QStringLiteral("90.00"), QStringLiteral("delta")));
    QCOMPARE(column(list, 0), (QStringList{"b.ttf", "d.ttf", "a.ttf", "c.ttf"}));
}

void ResultsListTest::rowClickReportsTheFont() {
    ResultsList list;
    list.resize(500, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    ResultRow installed = folderRow(QStringLiteral("DejaVu Sans"), QStringLiteral("90.00"), {}, {});
    installed.prefix = lettrino::kInstalledMarker;
    list.addOrUpdate(installed);
    list.addOrUpdate(folderRow(QStringLiteral("root.ttf"), QStringLiteral("90.00"), {}, QString()));
    QSignalSpy clicked(&list, &ResultsList::rowClicked);
    for (int i = 0; i < 2; ++i) {
        const QRect r = list.visualItemRect(list.topLevelItem(i));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, r.center());
    }
    QCOMPARE(clicked.size(), 2);
    QCOMPARE(clicked[0], (QVariantList{QStringLiteral("DejaVu Sans"), QStringLiteral("\\")}));
    // A font of the root folder: its folder is empty like an installed face's, its path is not.
    QCOMPARE(clicked[1], (QVariantList{QStringLiteral("root.ttf"), QStringLiteral("/")}));
}

void ResultsListTest::dragOffersExistingFilesOfSelectedRows() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path();
    for (const char* name : {"a.ttf", "b.ttf", "c.ttf", "gone.ttf"}) {
        QFile f(folder + QLatin1Char('/') + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    ResultsList list;
    const QString installedFile = folder + QStringLiteral("/c.ttf");
    list.setFaceFileResolver(
        [&](const QString& face) { return face == QLatin1String("Some Face") ? installedFile : QString(); });
    for (const char* name : {"a.ttf", "b.ttf", "c.ttf", "gone.ttf"})
        list.addOrUpdate(folderRow(QString::fromLatin1(name), QStringLiteral("90.00"), {}, folder));
    ResultRow installed = folderRow(QStringLiteral("Some Face"), QStringLiteral("90.00"), {}, {});
    installed.prefix = lettrino::kInstalledMarker;
    list.addOrUpdate(installed);
    ResultRow unknown = folderRow(QStringLiteral("Unknown Face"), QStringLiteral("90.00"), {}, {});
    unknown.prefix = lettrino::kInstalledMarker;
    list.addOrUpdate(unknown);
    QVERIFY(QFile::remove(folder + QStringLiteral("/gone.ttf")));

    auto urlsFor = [&](const QList<int>& rows) {
        list.clearSelection();
        for (int r : rows) list.topLevelItem(r)->setSelected(true);
        std::unique_ptr<QMimeData> data(list.dragData());
        if (!data) return QStringList{QStringLiteral("<none>")};
        QStringList paths;
        for (const QUrl& u : data->urls()) paths << u.toLocalFile();
        if (data->formats() != QStringList{QStringLiteral("text/uri-list")})
            paths << QStringLiteral("<other data>");
        return paths;
    };
    const QString a = folder + QStringLiteral("/a.ttf"), b = folder + QStringLiteral("/b.ttf");
    QCOMPARE(urlsFor({1, 0}), (QStringList{a, b}));                 // list order, selected rows only
    QCOMPARE(urlsFor({4}), QStringList{installedFile});             // an installed face's own file
    QCOMPARE(urlsFor({2, 4}), QStringList{installedFile});          // the same file once
    QCOMPARE(urlsFor({3}), QStringList{QStringLiteral("<none>")});  // deleted since it was listed
    QCOMPARE(urlsFor({5}), QStringList{QStringLiteral("<none>")});  // a face without a file
    QCOMPARE(urlsFor({}), QStringList{QStringLiteral("<none>")});
}

QTEST_MAIN(ResultsListTest)
#include "ResultsListTest.moc"
