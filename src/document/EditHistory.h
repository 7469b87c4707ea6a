#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>

#include "imaging/bitmap/Bitmap.h"

namespace pixmoth {

// The snapshot history of one document: whole-picture copies, no diffs.
//
// RecordUndo before a change and RecordResult after it; UndoStep and RedoStep
// move the snapshot they restore to the other list, so the picture they replace
// is not kept. With MaxUndo = 4 the two lists together never hold more than five
// snapshots: a command empties the redo list before adding its result there.
//
// Every picture state has a number, carried by its snapshots, so the history
// knows when undo or redo has brought the picture back to the state that was
// opened or last saved.
class EditHistory {
public:
    static constexpr std::size_t MaxUndo = 4;

    // Snapshot of `picture` onto the undo list (dropping the oldest at MaxUndo),
    // the redo list cleared, Changed set.
    void RecordUndo(const Bitmap& picture);
    // The same, taking over the picture itself instead of copying it.
    void RecordUndo(Bitmap&& picture);
    // Snapshot of the changed picture onto the redo list.
    void RecordResult(const Bitmap& picture);
    // `picture` becomes the newest undo snapshot, which moves to the redo list.
    // False, and nothing changes, when the undo list is empty.
    bool UndoStep(Bitmap& picture);
    // `picture` becomes the newest redo snapshot, which moves to the undo list.
    // False, and nothing changes, when the redo list is empty.
    bool RedoStep(Bitmap& picture);

    // True when the picture is not in the state it was opened or last saved
    // in: set by RecordUndo, cleared by MarkSaved or by a step back to that
    // state.
    bool Changed() const { return mState != mSavedState; }
    // The current picture was written to a file.
    void MarkSaved() { mSavedState = mState; }

    // Oldest first.
    const std::deque<Bitmap>& UndoList() const { return mUndoList; }
    const std::deque<Bitmap>& RedoList() const { return mRedoList; }

private:
    using State = std::uint64_t;

    void AppendUndo(Bitmap snapshot, State state);

    std::deque<Bitmap> mUndoList;
    std::deque<Bitmap> mRedoList;
    // The states of the snapshots, in step with the lists.
    std::deque<State> mUndoStates;
    std::deque<State> mRedoStates;
    State mState = 0;
    State mSavedState = 0;
    State mNextState = 1;
};

// One Tools command on a document picture: working copy, RecordUndo, the
// operation, RecordResult. When the operation throws, the undo snapshot stays
// recorded, no result is recorded, the picture is left as it was and the error
// propagates. The undo snapshot takes over the old picture's memory and the
// working copy becomes the picture without a copy, so a command costs at most
// two picture copies besides its operation.
//
// For operations that change their bitmap in place (flips, effects).
void RunPictureCommand(Bitmap& picture, EditHistory& history,
                       const std::function<void(Bitmap& work)>& operation);
// For operations that write a new picture from a source (the rotations): the
// result goes straight into `picture`, which the operation resizes. The
// operation may bring its source to 24 bits but must otherwise only read it;
// a 24-bit picture then costs only the result snapshot.
void RunPictureCommandInto(Bitmap& picture, EditHistory& history,
                           const std::function<void(Bitmap& work, Bitmap& picture)>& operation);
// For results made elsewhere (the enhancement and resample dialogs): the old
// picture onto the undo list, `result` becomes the picture, its snapshot onto
// the redo list.
void ReplacePicture(Bitmap& picture, EditHistory& history, Bitmap&& result);

} // namespace pixmoth
