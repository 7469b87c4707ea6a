#include "document/EditHistory.h"

#include <utility>

namespace pixmoth {

void EditHistory::AppendUndo(Bitmap snapshot, State state) {
    if (mUndoList.size() >= MaxUndo) {
        mUndoList.pop_front();
        mUndoStates.pop_front();
    }
    mUndoList.push_back(std::move(snapshot));
    mUndoStates.push_back(state);
}

void EditHistory::RecordUndo(const Bitmap& picture) {
    RecordUndo(Bitmap(picture));
}

void EditHistory::RecordUndo(Bitmap&& picture) {
    AppendUndo(std::move(picture), mState);
    mState = mNextState++;
    mRedoList.clear();
    mRedoStates.clear();
}

void EditHistory::RecordResult(const Bitmap& picture) {
    mRedoList.push_back(picture);
    mRedoStates.push_back(mState);
}

bool EditHistory::UndoStep(Bitmap& picture) {
    if (mUndoList.empty()) {
        return false;
    }
    mRedoList.push_back(mUndoList.back());
    mRedoStates.push_back(mUndoStates.back());
    picture = std::move(mUndoList.back());
    mState = mUndoStates.back();
    mUndoList.pop_back();
    mUndoStates.pop_back();
    return true;
}

bool EditHistory::RedoStep(Bitmap& picture) {
    if (mRedoList.empty()) {
        return false;
    }
    AppendUndo(mRedoList.back(), mRedoStates.back());
    picture = std::move(mRedoList.back());
    mState = mRedoStates.back();
    mRedoList.pop_back();
    mRedoStates.pop_back();
    return true;
}

namespace {

// Runs `operation` with the old picture already in the undo list; on failure the
// picture gets its old contents back from there before the error goes on.
template <typename Operation>
void RunRecorded(Bitmap& picture, EditHistory& history, Operation&& operation) {
    Bitmap work(picture);
    history.RecordUndo(std::move(picture));
    picture = Bitmap();
    try {
        operation(work);
    } catch (...) {
        picture = history.UndoList().back();
        throw;
    }
    history.RecordResult(picture);
}

} // namespace

void RunPictureCommand(Bitmap& picture, EditHistory& history,
                       const std::function<void(Bitmap& work)>& operation) {
    RunRecorded(picture, history, [&](Bitmap& work) {
        operation(work);
        picture = std::move(work);
    });
}

void RunPictureCommandInto(Bitmap& picture, EditHistory& history,
                           const std::function<void(Bitmap& work, Bitmap& picture)>& operation) {
    // The old picture itself is the operation's source. Brought to 24 bits, a
    // source is only read, so a 24-bit picture becomes the undo snapshot after
    // the operation without a copy; any other is snapshot first, as the
    // operation converts it.
    Bitmap source = std::move(picture);
    picture = Bitmap();
    const bool onlyRead = source.Format() == PixelFormat::Bit24;
    if (!onlyRead) {
        history.RecordUndo(source);
    }
    try {
        operation(source, picture);
    } catch (...) {
        if (onlyRead) {
            history.RecordUndo(std::move(source));
        }
        picture = history.UndoList().back();
        throw;
    }
    if (onlyRead) {
        history.RecordUndo(std::move(source));
    }
    history.RecordResult(picture);
}

void ReplacePicture(Bitmap& picture, EditHistory& history, Bitmap&& result) {
    history.RecordUndo(std::move(picture));
    picture = std::move(result);
    history.RecordResult(picture);
}

} // namespace pixmoth
