#include "browsehistory.h"
#include "errors.h"

#include <QTest>

// Drives the history the way the main window does: FindAddress marks a
// navigation from the address box, BeforeNavigate files every navigation.
class TstBrowseHistory : public QObject
{
    Q_OBJECT

    static void open(TBrowseHistory &h, const QString &address)
    {
        h.FindAddress();
        h.BeforeNavigate(address);
    }

private slots:
    void backThenNewAddressDropsForwardEntries();
    void knownAddressInOtherCaseOnlyMovesPosition();
    void firstPageDisablesBoth();
    void addressListHoldsTypedAddressesOnce();
    void unannouncedNavigationFilesTheNextOne();
    void noBackAddressThrows();
};

void TstBrowseHistory::backThenNewAddressDropsForwardEntries()
{
    TBrowseHistory h;
    for (const char *a : {"http://a/", "http://b/", "http://c/"})
        open(h, QString::fromLatin1(a));
    QCOMPARE(h.BackAddress(), QStringLiteral("http://b/"));
    open(h, h.BackAddress());
    QCOMPARE(h.HistoryIndex(), 1);
    QVERIFY(h.CanGoForward());

    open(h, QStringLiteral("http://d/"));
    QCOMPARE(h.History(), (QStringList{u"http://a/"_qs, u"http://b/"_qs, u"http://d/"_qs}));
    QCOMPARE(h.HistoryIndex(), 2);
    QVERIFY(!h.CanGoForward());
    QCOMPARE(h.BackAddress(), QStringLiteral("http://b/"));

    // At the last entry a new address appends and deletes nothing.
    open(h, QStringLiteral("http://e/"));
    QCOMPARE(h.History().size(), 4);
}

void TstBrowseHistory::knownAddressInOtherCaseOnlyMovesPosition()
{
    TBrowseHistory h;
    for (const char *a : {"http://a/", "http://b/", "http://c/"})
        open(h, QString::fromLatin1(a));
    h.BeforeNavigate(QStringLiteral("HTTP://A/")); // a link, not the address box
    QCOMPARE(h.History().size(), 3);
    QCOMPARE(h.HistoryIndex(), 0);
    QVERIFY(!h.CanGoBack());
    QCOMPARE(h.ForwardAddress(), QStringLiteral("http://b/"));
}

void TstBrowseHistory::firstPageDisablesBoth()
{
    TBrowseHistory h;
    QVERIFY(!h.CanGoBack());
    QVERIFY(!h.CanGoForward());
    open(h, QStringLiteral("http://a/"));
    QCOMPARE(h.HistoryIndex(), 0);
    QVERIFY(!h.CanGoBack());
    QVERIFY(!h.CanGoForward());
}

void TstBrowseHistory::addressListHoldsTypedAddressesOnce()
{
    TBrowseHistory h;
    open(h, QStringLiteral("http://a/"));
    h.BeforeNavigate(QStringLiteral("http://link/")); // reached through a link
    open(h, QStringLiteral("http://b/"));
    open(h, QStringLiteral("HTTP://A/"));
    QCOMPARE(h.AddressList(), (QStringList{u"HTTP://A/"_qs, u"http://b/"_qs}));
    h.AppendAddress(QStringLiteral("http://b/"));
    h.AppendAddress(QStringLiteral("http://home/"));
    QCOMPARE(h.AddressList(), (QStringList{u"HTTP://A/"_qs, u"http://b/"_qs, u"http://home/"_qs}));
}

void TstBrowseHistory::unannouncedNavigationFilesTheNextOne()
{
    TBrowseHistory h;
    h.FindAddress(); // the browser never announces this one
    QVERIFY(h.FromAddressBox());
    h.BeforeNavigate(QStringLiteral("http://link/"));
    QVERIFY(!h.FromAddressBox());
    QCOMPARE(h.AddressList(), QStringList{u"http://link/"_qs});
}

void TstBrowseHistory::noBackAddressThrows()
{
    TBrowseHistory h;
    QVERIFY_THROWS_EXCEPTION(EListError, h.BackAddress());
    open(h, QStringLiteral("http://a/"));
    QVERIFY_THROWS_EXCEPTION(EListError, h.ForwardAddress());
}

QTEST_APPLESS_MAIN(TstBrowseHistory)
#include "tst_browsehistory.moc"
