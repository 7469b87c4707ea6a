#include <filesystem>
#include <memory>

#include <QtTest>

#include "TempDir.h"
#include "TestPictures.h"
#include "app/WidgetTestSupport.h"
#include "browse/TThumbListView.h"
#include "browse/thumbnails/ThumbnailDrawing.h"
#include "imaging/codecs/BmpCodec.h"
#include "imaging/codecs/JpegCodec.h"

namespace pixmoth {

namespace fs = std::filesystem;

namespace {

QStringList Captions(const TThumbListView& list) {
    QStringList captions;
    for (int i = 0; i < list.count(); ++i) {
        captions << list.item(i)->text();
    }
    return captions;
}

// The item's thumbnail equals `expected` pixel for pixel.
bool ShowsThumbnail(const TThumbListView& list, int index, const Bitmap& expected) {
    const QImage shown = list.item(index)->icon().pixmap(kThumbSize, kThumbSize).toImage();
    if (shown.size() != QSize(expected.Width(), expected.Height())) {
        return false;
    }
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const PaletteEntry e = expected.PixelColor(x, y);
            if (shown.pixel(x, y) != qRgb(e.red, e.green, e.blue)) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

class TThumbListViewTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> mDir;
    std::unique_ptr<TThumbListView> mList;

    std::string Native(const std::string& name) const { return *mDir / name; }
    QString Path(const std::string& name) const { return QString::fromStdString(Native(name)); }
    void List(const std::string& folder = "pictures") {
        mList->ListThumbItems(Path(folder));
        QTRY_VERIFY_WITH_TIMEOUT(!mList->ThumbnailsPending(), 20000);
    }

private slots:
    void initTestCase() { test::SilenceOffscreenNoise(); }

    void init() {
        mDir = std::make_unique<test::TempDir>();
        // The trash of these tests is their own; its data folder is not there yet.
        fs::create_directories(Native("home"));
        qputenv("HOME", QByteArray::fromStdString(Native("home")));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(Native("home/.local/share")));
        fs::create_directories(Native("pictures/old.jpg"));
        fs::create_directories(Native("empty"));
        SaveBmp(test::PatternBitmap(1000, 10), Native("pictures/B.BMP"));
        SaveJpeg(test::PatternBitmap(64, 48), Native("pictures/a.jpg"));
        test::WriteTextFile(Native("pictures/broken.jpg"), "not a picture");
        SaveBmp(test::PatternBitmap(5, 5, 2), Native("pictures/z.bmp"));
        for (const char* other : {"d.jpeg", "e.gif", "f"}) {
            test::WriteTextFile(Native(std::string("pictures/") + other), "x");
        }
        mList = std::make_unique<TThumbListView>();
        mList->resize(400, 300);
    }
    void cleanup() {
        mList.reset();
        mDir.reset();
    }

    void listsEveryPictureEvenAfterADamagedOne() {
        mList->ListThumbItems(Path("pictures"));
        // Every item is there at once, blank until its thumbnail is made.
        QCOMPARE(Captions(*mList), QStringList({"a.jpg", "B.BMP", "broken.jpg", "z.bmp"}));
        QCOMPARE(mList->CurrentDir(), Path("pictures"));
        QCOMPARE(mList->ItemPath(1), Path("pictures/B.BMP"));
        QTRY_VERIFY_WITH_TIMEOUT(!mList->ThumbnailsPending(), 20000);
        QVERIFY(ShowsThumbnail(*mList, 1, DrawThumbnail(test::PatternBitmap(1000, 10))));
        QVERIFY(ShowsThumbnail(*mList, 2, BlankThumbnail()));
        QVERIFY(ShowsThumbnail(*mList, 3, DrawThumbnail(test::PatternBitmap(5, 5, 2))));
        QVERIFY(!ShowsThumbnail(*mList, 0, BlankThumbnail()));

        mList->Clear();
        QCOMPARE(mList->count(), 0);
        QCOMPARE(mList->CurrentDir(), Path("pictures"));
        List("empty");
        QCOMPARE(mList->count(), 0);
        List("missing");
        QCOMPARE(mList->count(), 0);
        QCOMPARE(mList->CurrentDir(), Path("missing"));
    }

    void selectedFileIsTheLowestSelectedItem() {
        for (const char* name : {"c.bmp", "d.bmp"}) {
            SaveBmp(test::PatternBitmap(3, 3), Native(std::string("pictures/") + name));
        }
        List();
        QCOMPARE(mList->SelectedFile(), QString());
        mList->item(5)->setSelected(true);
        mList->item(2)->setSelected(true);
        QCOMPARE(mList->SelectedFile(), mList->ItemPath(2));
        mList->SelectAll();
        QCOMPARE(mList->selectedItems().size(), 6);
        QCOMPARE(mList->SelectedFile(), mList->ItemPath(0));
    }

    void refillsMakeOnlyNewAndChangedThumbnails() {
        List();
        QCOMPARE(mList->ThumbnailsMade(), 4);
        mList->item(1)->setSelected(true);
        // Nothing changed: the items stay as they are, selection included.
        List();
        QCOMPARE(mList->ThumbnailsMade(), 4);
        QVERIFY(mList->item(1)->isSelected());
        // Back from another folder: new items, every thumbnail from memory at once.
        List("empty");
        QSignalSpy done(mList.get(), &TThumbListView::ThumbnailsDone);
        mList->ListThumbItems(Path("pictures"));
        QCOMPARE(done.size(), 1);
        QVERIFY(ShowsThumbnail(*mList, 1, DrawThumbnail(test::PatternBitmap(1000, 10))));
        QCOMPARE(mList->ThumbnailsMade(), 4);
        // One file changed, one added: two thumbnails made.
        SaveBmp(test::PatternBitmap(7, 7, 3), Native("pictures/z.bmp"));
        fs::last_write_time(Native("pictures/z.bmp"),
                            fs::last_write_time(Native("pictures/z.bmp")) +
                                std::chrono::seconds(5));
        List();
        QCOMPARE(mList->ThumbnailsMade(), 5);
        QVERIFY(ShowsThumbnail(*mList, 3, DrawThumbnail(test::PatternBitmap(7, 7, 3))));
        SaveBmp(test::PatternBitmap(3, 3), Native("pictures/c.bmp"));
        List();
        QCOMPARE(mList->ThumbnailsMade(), 6);
        QCOMPARE(Captions(*mList), QStringList({"a.jpg", "B.BMP", "broken.jpg", "c.bmp", "z.bmp"}));
    }

    void aNewListingReplacesOneStillRunning() {
        fs::create_directories(Native("many"));
        for (int i = 0; i < 40; ++i) {
            SaveBmp(test::PatternBitmap(400, 300, static_cast<std::uint32_t>(i)),
                    Native("many/" + std::to_string(i) + ".bmp"));
        }
        mList->ListThumbItems(Path("many"));
        List();
        QCOMPARE(Captions(*mList), QStringList({"a.jpg", "B.BMP", "broken.jpg", "z.bmp"}));
        QVERIFY(ShowsThumbnail(*mList, 3, DrawThumbnail(test::PatternBitmap(5, 5, 2))));
    }

    void deleteSelectedMovesTheFilesToTheTrash() {
        List();
        mList->item(0)->setSelected(true);
        mList->item(3)->setSelected(true);
        fs::remove(Native("pictures/z.bmp")); // gone before the delete: reported
        const QStringList failures = mList->DeleteSelectedFiles();
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].startsWith(Path("pictures/z.bmp")), qPrintable(failures[0]));
        QVERIFY(!fs::exists(Native("pictures/a.jpg")));
        QVERIFY(fs::exists(Native("pictures/B.BMP")));
        QVERIFY(fs::exists(Native("home/.local/share/Trash/files/a.jpg")));
        QCOMPARE(mList->count(), 4); // the caller lists again
    }
};

} // namespace pixmoth

PIXMOTH_WIDGET_TEST_MAIN(pixmoth::TThumbListViewTest)
#include "TThumbListViewTest.moc"
