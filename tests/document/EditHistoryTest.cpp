#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "TestPictures.h"
#include "document/EditHistory.h"
#include "imaging/effects/Transforms.h"

namespace pixmoth {
namespace {

using test::PatternBitmap;
using test::SamePicture;

// A stand-in for an effect: adds `step` to every byte, so each result differs.
void Brighten(Bitmap& bitmap, int step) {
    bitmap.To24Bit();
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int i = 0; i < bitmap.Width() * 3; ++i) {
            row[i] = static_cast<std::uint8_t>(row[i] + step);
        }
    }
}

Bitmap Brightened(Bitmap bitmap, int step) {
    Brighten(bitmap, step);
    return bitmap;
}

void Command(Bitmap& picture, EditHistory& history, int step = 1) {
    RunPictureCommand(picture, history, [step](Bitmap& work) { Brighten(work, step); });
}

::testing::AssertionResult ListIs(const std::deque<Bitmap>& list,
                                  const std::vector<const Bitmap*>& expected) {
    if (list.size() != expected.size()) {
        return ::testing::AssertionFailure()
               << "holds " << list.size() << " snapshots, expected " << expected.size();
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        const auto same = SamePicture(list[i], *expected[i]);
        if (!same) {
            return ::testing::AssertionFailure() << "snapshot " << i << ": " << same.message();
        }
    }
    return ::testing::AssertionSuccess();
}

// The history of one command followed by undo and redo steps, row by row:
// P0 is the opened picture, P1 the command's result.
TEST(EditHistory, CommandUndoRedoRedoUndoUndoFollowsTheHistoryTable) {
    const Bitmap p0 = PatternBitmap(7, 5);
    const Bitmap p1 = Brightened(p0, 1);
    Bitmap picture = p0;
    EditHistory history;

    struct Row {
        const char* after;
        void (*step)(Bitmap&, EditHistory&);
        const Bitmap* picture;
        std::vector<const Bitmap*> undo;
        std::vector<const Bitmap*> redo;
    };
    const std::vector<Row> table = {
        {"command", [](Bitmap& p, EditHistory& h) { Command(p, h); }, &p1, {&p0}, {&p1}},
        {"undo", [](Bitmap& p, EditHistory& h) { h.UndoStep(p); }, &p0, {}, {&p1, &p0}},
        {"redo", [](Bitmap& p, EditHistory& h) { h.RedoStep(p); }, &p0, {&p0}, {&p1}},
        {"redo", [](Bitmap& p, EditHistory& h) { h.RedoStep(p); }, &p1, {&p0, &p1}, {}},
        {"undo", [](Bitmap& p, EditHistory& h) { h.UndoStep(p); }, &p1, {&p0}, {&p1}},
        {"undo", [](Bitmap& p, EditHistory& h) { h.UndoStep(p); }, &p0, {}, {&p1, &p0}},
    };
    int index = 0;
    for (const Row& row : table) {
        SCOPED_TRACE(std::to_string(index++) + ": after " + row.after);
        row.step(picture, history);
        EXPECT_TRUE(SamePicture(picture, *row.picture));
        EXPECT_TRUE(ListIs(history.UndoList(), row.undo));
        EXPECT_TRUE(ListIs(history.RedoList(), row.redo));
    }
}

TEST(EditHistory, TheUndoListKeepsTheFourNewestSnapshots) {
    const Bitmap p0 = PatternBitmap(6, 4);
    Bitmap picture = p0;
    EditHistory history;
    for (int i = 0; i < 4; ++i) {
        Command(picture, history);
    }
    // Redo with a full undo list drops the oldest; it shows the last result.
    EXPECT_TRUE(history.RedoStep(picture));
    EXPECT_TRUE(SamePicture(picture, Brightened(p0, 4)));
    EXPECT_EQ(history.UndoList().size(), 4u);
    EXPECT_TRUE(SamePicture(history.UndoList().front(), Brightened(p0, 1)));

    Command(picture, history); // the fifth command
    ASSERT_EQ(history.UndoList().size(), 4u);
    while (history.UndoStep(picture)) {
    }
    EXPECT_TRUE(SamePicture(picture, Brightened(p0, 2))) << "the oldest state left";
}

// Changed: whether the picture differs from the state it was opened or last
// saved in, by the history's own steps.
TEST(EditHistory, ChangedFollowsTheOpenedOrLastSavedState) {
    const Bitmap p0 = PatternBitmap(3, 3);
    Bitmap picture = p0;
    EditHistory history;
    using Step = void (*)(Bitmap&, EditHistory&);
    const Step command = [](Bitmap& p, EditHistory& h) { Command(p, h); };
    const Step undo = [](Bitmap& p, EditHistory& h) { h.UndoStep(p); };
    const Step redo = [](Bitmap& p, EditHistory& h) { h.RedoStep(p); };
    const Step save = [](Bitmap&, EditHistory& h) { h.MarkSaved(); };
    const struct {
        const char* after;
        Step step;
        bool changed;
    } table[] = {
        {"undo with nothing to undo", undo, false},
        {"command", command, true},
        {"undo to the opened picture", undo, false},
        {"redo of the opened picture", redo, false},
        {"redo of the result", redo, true},
        {"save", save, false},
        {"undo restoring the saved picture", undo, false},
        {"undo to the opened picture, not saved", undo, true},
        {"undo with nothing to undo", undo, true},
        {"redo of the opened picture", redo, true},
        {"redo back to the saved picture", redo, false},
        {"command after the save", command, true},
    };
    EXPECT_FALSE(history.Changed());
    int index = 0;
    for (const auto& row : table) {
        SCOPED_TRACE(std::to_string(index++) + ": after " + row.after);
        row.step(picture, history);
        EXPECT_EQ(history.Changed(), row.changed);
    }

    // Once the saved state has fallen off the undo list, no step returns to it.
    history.MarkSaved();
    for (int i = 0; i < 5; ++i) {
        Command(picture, history);
    }
    while (history.UndoStep(picture)) {
        EXPECT_TRUE(history.Changed());
    }
}

TEST(EditHistory, NeverHoldsMoreThanFiveSnapshotsInBothLists) {
    std::mt19937 random(7);
    Bitmap picture = PatternBitmap(4, 4);
    EditHistory history;
    for (int i = 0; i < 400; ++i) {
        switch (random() % 3) {
        case 0:
            Command(picture, history);
            break;
        case 1:
            history.UndoStep(picture);
            break;
        default:
            history.RedoStep(picture);
            break;
        }
        ASSERT_LE(history.UndoList().size(), EditHistory::MaxUndo) << "step " << i;
        ASSERT_LE(history.UndoList().size() + history.RedoList().size(), 5u) << "step " << i;
    }
}

TEST(EditHistory, AFailingOperationKeepsTheUndoSnapshotAndThePicture) {
    const Bitmap p0 = PatternBitmap(5, 3);
    Bitmap picture = p0;
    EditHistory history;
    Command(picture, history); // leaves a result in the redo list
    const Bitmap p1 = picture;
    EXPECT_THROW(RunPictureCommand(picture, history,
                                   [](Bitmap& work) {
                                       Brighten(work, 9);
                                       throw std::runtime_error("out of memory");
                                   }),
                 std::runtime_error);
    EXPECT_TRUE(SamePicture(picture, p1)) << "the document is unchanged";
    EXPECT_TRUE(ListIs(history.UndoList(), {&p0, &p1}));
    EXPECT_TRUE(history.RedoList().empty()) << "no result recorded";
    EXPECT_TRUE(history.Changed());

    EXPECT_THROW(RunPictureCommandInto(picture, history,
                                       [](Bitmap&, Bitmap& destination) {
                                           destination.SetSize(1, 1);
                                           throw std::runtime_error("failed");
                                       }),
                 std::runtime_error);
    EXPECT_TRUE(SamePicture(picture, p1)) << "a half-written rotation is not kept";
}

TEST(EditHistory, APaletteSnapshotKeepsItsFormatAndTheResultIs24Bit) {
    for (bool rotate : {false, true}) {
        SCOPED_TRACE(rotate ? "rotation" : "flip");
        Bitmap picture(8, 4, PixelFormat::Bit8);
        picture.SetPixelColor(1, 2, PaletteEntry{0, 0, 255});
        const Bitmap p0 = picture;
        EditHistory history;
        if (rotate) {
            RunPictureCommandInto(picture, history, RotateRight);
        } else {
            RunPictureCommand(picture, history, FlipRight);
        }
        EXPECT_TRUE(SamePicture(history.UndoList().back(), p0));
        EXPECT_EQ(picture.Format(), PixelFormat::Bit24);
        history.UndoStep(picture);
        EXPECT_TRUE(SamePicture(picture, p0));
    }
}

} // namespace
} // namespace pixmoth
