#include "MskPackageRead.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "JXPackCommon.h"
#include "JxHandle.h"
#include "wce/files.h"
#include "wce/process.h"
#include "zlib.h"

namespace {

constexpr DWORD kFirstPiece = 64u << 10;
constexpr DWORD kStreamPiece = 64u << 10;

// Walks the records that are complete in the first `have` bytes, from pos (0: the root
// name is still to come). FALSE at a root name length or record size no sound block holds.
BOOL WalkArrivedRecords(const BYTE* pBlock, DWORD have, DWORD& pos)
{
    if (pos == 0) {
        if (have < kMskBlockFixedSize) return TRUE;
        auto units = static_cast<std::int32_t>(JxReadLe32(pBlock + 12));
        if (units < 1 || units > kMskMaxPath) return FALSE;
        pos = MskFirstEntryOffset(pBlock);
    }
    while (pos < have && have - pos >= 4) {
        DWORD size = JxReadLe32(pBlock + pos);
        if (size < kMskEntryFixedSize || size > kMskMaxRecordSize) return FALSE;
        pos += size;
    }
    return TRUE;
}

// Places the file pointer at an unsigned 32-bit offset (never a move backwards).
BOOL SeekTo(HANDLE h, DWORD dwOffset)
{
    LONG high = 0;
    SetLastError(ERROR_SUCCESS);
    return SetFilePointer(h, static_cast<LONG>(dwOffset), &high, FILE_BEGIN) != INVALID_SET_FILE_POINTER ||
           GetLastError() == ERROR_SUCCESS;
}

}  // namespace

MskLoadFailure MskReadDirectoryBlock(HANDLE h, DWORD dwKey, BYTE*& pBlock, DWORD& dwLength, DWORD& dwFileSize,
                                     DWORD& dwCheckWord)
{
    BYTE magic[2];
    if (!JxReadExactly(h, magic, 2) || JxReadLe16(magic) != kMskMagic) return MskLoadFailure::Magic;
    BYTE head[12];
    if (SetFilePointer(h, kMskDirEndOffset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !JxReadExactly(h, head, sizeof head))
        return MskLoadFailure::Read;
    DWORD dirEnd = JxReadLe32(head);
    dwFileSize = GetFileSize(h, nullptr);
    if (dirEnd < kMskHeaderSize || dirEnd > dwFileSize) return MskLoadFailure::Read;
    const DWORD length = dirEnd - kMskHeaderSize;
    if (length < kMskBlockFixedSize) return MskLoadFailure::Format;
    dwCheckWord = JxReadLe32(head + 8);

    std::unique_ptr<BYTE[]> block;
    DWORD capacity = 0;
    DWORD have = 0;
    DWORD walked = 0;
    for (;;) {
        // Pieces double, and stay whole words until the last, so each unscrambles alone.
        DWORD next = capacity == 0 ? std::min(length, kFirstPiece)
                                   : (length - capacity <= capacity ? length : capacity * 2);
        std::unique_ptr<BYTE[]> grown(new (std::nothrow) BYTE[next]);
        if (!grown) return MskLoadFailure::Read;
        if (have) std::memcpy(grown.get(), block.get(), have);
        block = std::move(grown);
        capacity = next;
        if (!JxReadExactly(h, block.get() + have, capacity - have)) return MskLoadFailure::Read;
        JxScrambleWords(block.get() + have, capacity - have, dwKey);
        const BOOL first = have == 0;
        have = capacity;
        if (first && JxReadLe32(block.get()) != dwCheckWord) break;  // judged by the caller, as read
        if (!WalkArrivedRecords(block.get(), have, walked) || have == length) break;
    }
    pBlock = block.release();
    dwLength = have;
    return JxReadLe32(pBlock) == dwCheckWord ? MskLoadFailure::None : MskLoadFailure::Check;
}

CMskDataCheck::CMskDataCheck() : m_hLibrary(LoadLibraryW(u"WceUiDll.dll")), m_pfnUncompress(nullptr)
{
    if (m_hLibrary) m_pfnUncompress = reinterpret_cast<Uncompress>(GetProcAddressW(m_hLibrary, MAKEINTRESOURCEW(2)));
}

CMskDataCheck::~CMskDataCheck()
{
    if (m_hLibrary) FreeLibrary(m_hLibrary);
}

CMskDataCheck::Result CMskDataCheck::CheckEntry(HANDLE hPackage, const CMskEntryView& entry)
{
    if (!SeekTo(hPackage, entry.GetDataOffset())) return Result::ReadFailed;
    if (m_pfnUncompress && entry.GetCompressedSize() <= kWholeLimit && entry.GetUncompressedSize() <= kWholeLimit)
        return impWhole(hPackage, entry);
    return impStreamed(hPackage, entry);
}

namespace {

// At least dwSize bytes (and one), the old buffer freed before the new one is taken: the
// check never holds more than the unpack holds for the largest entry.
void GrowExactly(std::vector<BYTE>& buffer, DWORD dwSize)
{
    const size_t wanted = std::max<size_t>(dwSize, 1);
    if (buffer.size() >= wanted) return;
    std::vector<BYTE>().swap(buffer);
    buffer.resize(wanted);
}

// A read that failed, or one the file's end cut short (the package changed under us).
CMskDataCheck::Result ReadFailure()
{
    return GetLastError() == ERROR_SUCCESS ? CMskDataCheck::Result::Damaged : CMskDataCheck::Result::ReadFailed;
}

}  // namespace

CMskDataCheck::Result CMskDataCheck::impWhole(HANDLE hPackage, const CMskEntryView& entry)
{
    const DWORD packedSize = entry.GetCompressedSize();
    const DWORD plainSize = entry.GetUncompressedSize();
    GrowExactly(m_packed, packedSize);
    GrowExactly(m_plain, plainSize);
    SetLastError(ERROR_SUCCESS);
    if (!JxReadExactly(hPackage, m_packed.data(), packedSize)) return ReadFailure();
    DWORD produced = plainSize;
    if (m_pfnUncompress(m_plain.data(), &produced, m_packed.data(), packedSize) != Z_OK || produced != plainSize)
        return Result::Damaged;
    return Result::Whole;
}

CMskDataCheck::Result CMskDataCheck::impStreamed(HANDLE hPackage, const CMskEntryView& entry)
{
    GrowExactly(m_packed, kStreamPiece);
    GrowExactly(m_plain, kStreamPiece);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return Result::Damaged;
    DWORD packedLeft = entry.GetCompressedSize();
    const std::uint64_t plainSize = entry.GetUncompressedSize();
    std::uint64_t produced = 0;
    Result result = Result::Damaged;
    for (;;) {
        if (stream.avail_in == 0) {
            if (packedLeft == 0) break;  // the stream has not ended within its stated size
            const DWORD piece = std::min(packedLeft, kStreamPiece);
            SetLastError(ERROR_SUCCESS);
            if (!JxReadExactly(hPackage, m_packed.data(), piece)) {
                result = ReadFailure();
                break;
            }
            packedLeft -= piece;
            stream.next_in = m_packed.data();
            stream.avail_in = piece;
        }
        stream.next_out = m_plain.data();
        stream.avail_out = kStreamPiece;
        const int status = inflate(&stream, Z_NO_FLUSH);
        produced += kStreamPiece - stream.avail_out;
        if (produced > plainSize) break;  // uncompress into the stated size would overflow
        if (status == Z_STREAM_END) {
            result = produced == plainSize ? Result::Whole : Result::Damaged;
            break;
        }
        if (status != Z_OK && status != Z_BUF_ERROR) break;
    }
    inflateEnd(&stream);
    return result;
}
