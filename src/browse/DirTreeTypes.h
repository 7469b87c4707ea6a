#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

// The value types the directory tree is configured and fed with.
namespace pixmoth {

// Kinds of mounted file system, in the order their sets are declared.
enum class TDriveType { drtUnknown, drtRemovable, drtFixed, drtRemote, drtCDRom, drtRamDisk };

// Which folders the tree lists. On this platform a hidden folder is a
// dot-folder; no folder carries the system or archive attribute, and
// dtReadOnly is never consulted.
enum class TDirType { dtReadOnly, dtHidden, dtSystem, dtArchive, dtNormal, dtAll };

// A set of enumeration values, one bit per ordinal.
template <typename E>
class EnumSet {
public:
    constexpr EnumSet() = default;
    constexpr EnumSet(std::initializer_list<E> values) {
        for (E value : values) {
            mBits |= Bit(value);
        }
    }
    constexpr bool Contains(E value) const { return (mBits & Bit(value)) != 0; }
    constexpr bool operator==(const EnumSet&) const = default;

private:
    static constexpr std::uint32_t Bit(E value) { return 1u << static_cast<unsigned>(value); }
    std::uint32_t mBits = 0;
};

using TDriveTypes = EnumSet<TDriveType>;
using TDirTypes = EnumSet<TDirType>;

inline constexpr TDriveTypes kAllDriveTypes{TDriveType::drtUnknown, TDriveType::drtRemovable,
                                            TDriveType::drtFixed,   TDriveType::drtRemote,
                                            TDriveType::drtCDRom,   TDriveType::drtRamDisk};

// Entry attributes with the bit values the tree's events have always used.
inline constexpr std::uint32_t faReadOnly = 0x01;
inline constexpr std::uint32_t faHidden = 0x02;
inline constexpr std::uint32_t faSysFile = 0x04;
inline constexpr std::uint32_t faDirectory = 0x10;
inline constexpr std::uint32_t faArchive = 0x20;

// One entry of a folder enumeration: what the default reader or an OnFindDir
// handler delivers. The name is the entry's name as the file system holds it.
struct TDirRec {
    std::uint32_t attributes = 0;
    std::string name;
};

} // namespace pixmoth
