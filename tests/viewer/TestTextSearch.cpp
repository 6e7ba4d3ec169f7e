// The literal byte search: options, word edges, block edges of a file, and
// agreement with a plain search on random text.

#include "ViewerTestFiles.h"

#include <Orbalog/TFileReader.h>
#include <Orbalog/TTextSearch.h>

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

using namespace Orbalog;

namespace {

bool NaiveMatch(const QByteArray &Text, const QByteArray &Pattern, qsizetype At, bool MatchCase, bool WholeWord)
{
    for (qsizetype k = 0; k < Pattern.size(); ++k) {
        char a = Text[At + k], b = Pattern[k];
        if (!MatchCase && a >= 'A' && a <= 'Z')
            a = char(a + 32);
        if (!MatchCase && b >= 'A' && b <= 'Z')
            b = char(b + 32);
        if (a != b)
            return false;
    }
    auto word = [](char c) { return TTextSearch::IsWordByte(static_cast<unsigned char>(c)); };
    if (WholeWord && At > 0 && word(Text[At - 1]))
        return false;
    return !WholeWord || At + Pattern.size() >= Text.size() || !word(Text[At + Pattern.size()]);
}

qint64 NaiveFind(const QByteArray &Text, const QByteArray &Pattern, qsizetype First, qsizetype Limit, bool MatchCase,
                 bool WholeWord, bool Last)
{
    qint64 hit = -1;
    for (qsizetype at = First; at < Limit && at + Pattern.size() <= Text.size(); ++at)
        if (NaiveMatch(Text, Pattern, at, MatchCase, WholeWord)) {
            if (!Last)
                return at;
            hit = at;
        }
    return hit;
}

} // namespace

class TestTextSearch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void findsWithOptions_data();
    void findsWithOptions();
    void agreesWithPlainSearchOnRandomText();
    void findsAcrossFileBlocks();
};

void TestTextSearch::findsWithOptions_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("pattern");
    QTest::addColumn<bool>("matchCase");
    QTest::addColumn<bool>("wholeWord");
    QTest::addColumn<bool>("last");
    QTest::addColumn<int>("expected");
    const QByteArray hello = "Hello hello HELLO";
    QTest::newRow("match case") << hello << QByteArray("hello") << true << false << false << 6;
    QTest::newRow("any case") << hello << QByteArray("hello") << false << false << false << 0;
    QTest::newRow("any case, last") << hello << QByteArray("hello") << false << false << true << 12;
    QTest::newRow("match case, last") << hello << QByteArray("HeLLo") << true << false << true << -1;
    const QByteArray cats = "cathedral cat concat";
    QTest::newRow("part of words") << cats << QByteArray("cat") << true << false << true << 17;
    QTest::newRow("whole word") << cats << QByteArray("cat") << true << true << false << 10;
    QTest::newRow("whole word, last") << cats << QByteArray("CAT") << false << true << true << 10;
    QTest::newRow("whole word at line start") << QByteArray("cats\ncat x") << QByteArray("cat") << true << true
                                              << false << 5;
    QTest::newRow("whole word at line end") << QByteArray("concat\r\nthe cat\r\n") << QByteArray("cat") << true
                                            << true << false << 12;
    QTest::newRow("whole word at text start and end") << QByteArray("cat") << QByteArray("cat") << true << true
                                                      << true << 0;
    QTest::newRow("digits and _ are word bytes") << QByteArray("my_cat cat2 cat") << QByteArray("cat") << true << true
                                                 << false << 12;
    QTest::newRow("UTF-8 letters are word bytes") << QByteArray("\xC3\xA9" "cat cat") << QByteArray("cat") << true
                                                  << true << false << 6;
    QTest::newRow("case folds letters only") << QByteArray("{x[") << QByteArray("[") << false << false << false << 2;
    QTest::newRow("@ is no upper-case backquote") << QByteArray("`a@a") << QByteArray("@A") << false << false
                                                  << false << 2;
    QTest::newRow("pattern longer than text") << QByteArray("ab") << QByteArray("abc") << false << false << false
                                              << -1;
    QTest::newRow("hit in the SIMD part") << QByteArray(40, '.') + "Needle" + QByteArray(40, '.')
                                          << QByteArray("needle") << false << true << false << 40;
}

void TestTextSearch::findsWithOptions()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, pattern);
    QFETCH(bool, matchCase);
    QFETCH(bool, wholeWord);
    QFETCH(bool, last);
    QFETCH(int, expected);
    const TTextSearch search(pattern.toStdString(), matchCase, wholeWord);
    QCOMPARE(search.FindIn(text.constData(), std::size_t(text.size()), 0, std::size_t(text.size()), last), expected);
}

void TestTextSearch::agreesWithPlainSearchOnRandomText()
{
    QRandomGenerator random(1234);
    const char alphabet[] = "aAbB _\n[{";
    auto randomBytes = [&](int length) {
        QByteArray bytes(length, Qt::Uninitialized);
        for (char &c : bytes)
            c = alphabet[random.bounded(int(sizeof alphabet - 1))];
        return bytes;
    };
    for (int round = 0; round < 400; ++round) {
        const QByteArray text = randomBytes(random.bounded(1, 300));
        const QByteArray pattern = randomBytes(random.bounded(1, 5));
        const bool matchCase = random.bounded(2), wholeWord = random.bounded(2), last = random.bounded(2);
        const qsizetype first = random.bounded(int(text.size()));
        const qsizetype limit = first + random.bounded(int(text.size() - first) + 1);
        const TTextSearch search(pattern.toStdString(), matchCase, wholeWord);
        QCOMPARE(search.FindIn(text.constData(), std::size_t(text.size()), std::size_t(first), std::size_t(limit), last),
                 NaiveFind(text, pattern, first, limit, matchCase, wholeWord, last));
    }
}

void TestTextSearch::findsAcrossFileBlocks()
{
    constexpr qint64 Block = qint64(TTextSearch::BlockSize);
    QByteArray bytes(int(3 * Block), '.');
    bytes.replace(Block - 3, 6, "needle");      // straddles the first block end
    bytes.replace(2 * Block - 1, 7, "xneedle"); // its word byte lies in the block before
    bytes.replace(3 * Block - 6, 6, "needle");  // ends the file
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("blocks.txt"));
    WriteFile(path, bytes);
    TFileReader reader;
    reader.Open(path);
    TTextSearch word("needle", true, true);
    QCOMPARE(word.FindForward(reader, 0, reader.Size()), Block - 3);
    QCOMPARE(word.FindForward(reader, Block - 3, reader.Size()), Block - 3);
    QCOMPARE(word.FindForward(reader, Block - 2, reader.Size()), 3 * Block - 6);
    QCOMPARE(word.FindForward(reader, Block - 2, 3 * Block - 6), -1);
    QCOMPARE(word.FindBackward(reader, 0, reader.Size()), 3 * Block - 6);
    QCOMPARE(word.FindBackward(reader, 0, 3 * Block - 6), Block - 3);
    TTextSearch part("NEEDLE", false, false);
    QCOMPARE(part.FindBackward(reader, 0, 3 * Block - 6), 2 * Block);
    QCOMPARE(part.FindForward(reader, Block, reader.Size()), 2 * Block);
    QCOMPARE(part.FindBackward(reader, Block - 2, 2 * Block), -1);
}

QTEST_GUILESS_MAIN(TestTextSearch)
#include "TestTextSearch.moc"
