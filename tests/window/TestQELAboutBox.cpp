// The about box as designed, its showing through QELAboutBox, and the
// product icon.

#include <Orbalog/ProductIcon.h>
#include <Orbalog/TQELAboutBox.h>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QWidget>

using namespace Orbalog;

class TestQELAboutBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void layout_data();
    void layout();
    void texts();
    void titleAndItsShadow();
    void closes_data();
    void closes();
    void productIcon();
    void screenshot();
};

void TestQELAboutBox::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("Panel1") << "Panel1" << QRect(9, 8, 281, 116);
    QTest::newRow("Shadow") << "Shadow" << QRect(77, 18, 163, 16);
    QTest::newRow("ProductName") << "ProductName" << QRect(76, 17, 163, 16);
    QTest::newRow("ProgramIcon") << "ProgramIcon" << QRect(11, 15, 41, 39);
    QTest::newRow("Copyright") << "Copyright" << QRect(6, 67, 268, 13);
    QTest::newRow("Comments") << "Comments" << QRect(6, 82, 268, 17);
    QTest::newRow("Label1") << "Label1" << QRect(6, 96, 268, 16);
    QTest::newRow("OKButton") << "OKButton" << QRect(111, 135, 77, 27);
}

void TestQELAboutBox::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    TQELAboutBox box;
    QWidget *control = box.findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(box.size(), QSize(298, 171));
    QCOMPARE(box.minimumSize(), box.maximumSize());
    QCOMPARE(box.windowTitle(), QStringLiteral("About"));
    QCOMPARE(box.Version->pos(), QPoint(108, 36));
    for (QWidget *inPanel : {static_cast<QWidget *>(box.ProgramIcon), static_cast<QWidget *>(box.ProductName),
                             static_cast<QWidget *>(box.Version), static_cast<QWidget *>(box.Copyright),
                             static_cast<QWidget *>(box.Comments), static_cast<QWidget *>(box.Shadow),
                             static_cast<QWidget *>(box.Label1)})
        QCOMPARE(inPanel->parentWidget(), box.Panel1);
}

void TestQELAboutBox::texts()
{
    TQELAboutBox box;
    QCOMPARE(box.ProductName->text(), QStringLiteral("Orbalog"));
    QCOMPARE(box.Shadow->text(), box.ProductName->text());
    QCOMPARE(box.Version->text(), QStringLiteral("Version 1.01"));
    QVERIFY(box.Copyright->text().contains(u'©'));
    QVERIFY(box.Comments->wordWrap());
    QVERIFY(box.Label1->text().contains(u'@'));
    for (QLabel *centred : {box.Copyright, box.Comments, box.Label1}) {
        QCOMPARE(centred->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        // Each line fits its fixed width.
        QVERIFY2(centred->fontMetrics().horizontalAdvance(centred->text()) <= centred->width(),
                 qPrintable(centred->text()));
    }
    QVERIFY(!box.ProgramIcon->pixmap().isNull());
    QVERIFY(box.ProgramIcon->hasScaledContents());
    QVERIFY(box.OKButton->isDefault());
    QVERIFY(!box.OKButton->icon().isNull());
}

void TestQELAboutBox::titleAndItsShadow()
{
    TQELAboutBox box;
    QCOMPARE(box.ProductName->palette().color(QPalette::WindowText), QColor(Qt::red));
    QCOMPARE(box.Shadow->palette().color(QPalette::WindowText), QColor(128, 0, 0));
    for (QLabel *title : {box.ProductName, box.Shadow}) {
        QVERIFY(title->font().bold());
        QVERIFY(title->font().italic());
        QCOMPARE(title->font().pixelSize(), 13);
    }
    // The title is drawn over its shadow: it comes later among the panel's children.
    const QObjectList children = box.Panel1->children();
    QVERIFY(children.indexOf(box.ProductName) > children.indexOf(box.Shadow));
}

void TestQELAboutBox::closes_data()
{
    QTest::addColumn<int>("how"); // 0: OK button, 1: Enter, 2: close box
    QTest::newRow("OK button") << 0;
    QTest::newRow("Enter") << 1;
    QTest::newRow("close box") << 2;
}

void TestQELAboutBox::closes()
{
    QFETCH(int, how);
    QWidget owner;
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    QPointer<TQELAboutBox> seen;
    QWidget *seenOwner = nullptr;
    bool focused = false;
    QTimer::singleShot(0, this, [&] {
        seen = qobject_cast<TQELAboutBox *>(QApplication::activeModalWidget());
        QVERIFY(seen);
        QCOMPARE(seen.data(), QELAboutBox);
        seenOwner = seen->parentWidget();
        focused = seen->focusWidget() == seen->OKButton;
        if (how == 0)
            QTest::mouseClick(seen->OKButton, Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(seen->OKButton, Qt::Key_Return);
        else
            seen->close();
    });
    QCOMPARE(QELAboutBox, nullptr);
    TQELAboutBox::Execute(&owner);
    QCOMPARE(seenOwner, &owner);
    QVERIFY(focused);
    QCOMPARE(QELAboutBox, nullptr);
    QVERIFY(seen.isNull()); // freed once closed
}

void TestQELAboutBox::productIcon()
{
    const QImage image(ProductIconPath());
    QCOMPARE(image.size(), QSize(32, 32));
    const QSet<QRgb> standard = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                 0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};
    QSet<QRgb> used;
    int transparent = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0)
                ++transparent;
            else
                used.insert(pixel);
        }
    QVERIFY(used.size() <= 16);
    for (QRgb colour : used)
        QVERIFY2(standard.contains(colour), qPrintable(QString::number(colour, 16)));
    // The motif's colours: blue frame, green stripes, a white page with black lines.
    for (QRgb colour : {0xFF0000FFu, 0xFF008000u, 0xFF00FF00u, 0xFFFFFFFFu, 0xFF000000u})
        QVERIFY(used.contains(colour));
    QVERIFY(transparent > 0);
    QVERIFY(!ProductIcon().isNull());
    QCOMPARE(ProductPixmap().size(), QSize(32, 32));
}

void TestQELAboutBox::screenshot()
{
    TQELAboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.grab().save(QStringLiteral(ORBALOG_SCREENSHOT_DIR "/about-box.png")));
    QVERIFY(ProductPixmap().scaled(128, 128).save(QStringLiteral(ORBALOG_SCREENSHOT_DIR "/product-icon.png")));
}

QTEST_MAIN(TestQELAboutBox)
#include "TestQELAboutBox.moc"
