#pragma once

#include <cstddef>
#include <list>
#include <string>
#include <unordered_map>
#include <utility>

#include "browse/thumbnails/PictureListing.h"

// Thumbnails kept between listings, so listing a directory again makes only
// those of new or changed files.
namespace pixmoth {

// Keeps one thumbnail (of any type) per file path, valid while the file keeps
// its size and modification time. Beyond `capacity` files the least recently
// used are dropped. Not thread-safe: the list uses it on its own thread.
template <typename Thumb>
class ThumbnailCache {
public:
    explicit ThumbnailCache(std::size_t capacity) : mCapacity(capacity) {}

    // The thumbnail of `entry`, or null when there is none for the file as it
    // is now.
    const Thumb* Find(const PictureEntry& entry) {
        const auto found = mIndex.find(entry.path);
        if (found == mIndex.end()) {
            return nullptr;
        }
        const auto item = found->second;
        if (item->size != entry.size || item->modified != entry.modified) {
            mItems.erase(item);
            mIndex.erase(found);
            return nullptr;
        }
        mItems.splice(mItems.begin(), mItems, item);
        return &item->thumb;
    }

    void Store(const PictureEntry& entry, Thumb thumb) {
        const auto found = mIndex.find(entry.path);
        if (found != mIndex.end()) {
            mItems.erase(found->second);
            mIndex.erase(found);
        }
        mItems.push_front(Item{entry.path, entry.size, entry.modified, std::move(thumb)});
        mIndex.emplace(entry.path, mItems.begin());
        while (mItems.size() > mCapacity) {
            mIndex.erase(mItems.back().path);
            mItems.pop_back();
        }
    }

    std::size_t Size() const { return mItems.size(); }

private:
    struct Item {
        std::string path;
        std::uint64_t size;
        std::int64_t modified;
        Thumb thumb;
    };

    std::size_t mCapacity;
    std::list<Item> mItems; // most recently used first
    std::unordered_map<std::string, typename std::list<Item>::iterator> mIndex;
};

} // namespace pixmoth
