// Layout of MSK update packages, and the structure checks that every reader of the
// directory block runs before trusting a single offset in it.
#pragma once

#include "wce/cstring.h"
#include "wce/types.h"

constexpr WORD kMskMagic = 0xFA45;
constexpr DWORD kMskHeaderSize = 44;       // the directory block starts here
constexpr DWORD kMskDirEndOffset = 32;     // directory end, reserved, check word
constexpr DWORD kMskBlockFixedSize = 16;   // check copy, reserved, root name length
constexpr DWORD kMskEntryFixedSize = 28;   // record size .. reserved, then the name
constexpr DWORD kMskTypeDirectory = 0;
constexpr DWORD kMskTypeFile = 1;
constexpr int kMskMaxPath = 259;           // longest path in UTF-16 units
// The largest record a sound entry needs: the fixed part and the longest name with its end.
constexpr DWORD kMskMaxRecordSize = kMskEntryFixedSize + 2 * (kMskMaxPath + 1);
// Where the unit unpacks: the device rules for names and path lengths apply below it.
constexpr const WCHAR* kMskDeviceTarget = u"\\Residentflash2";
// zlib cannot expand data by more than about 1032:1; a larger claim is a damaged entry and
// must not make the reader allocate gigabytes.
constexpr DWORD kMskMaxInflateRatio = 1032;

// The error keys the unpacker leaves and the user messages the update shows for them, in
// one table for both sides. A cancel shows nothing.
constexpr const WCHAR* kMskKeyInvalidFile = u"invalid_msk_file";
constexpr const WCHAR* kMskKeyFormatError = u"file_format_error";
constexpr const WCHAR* kMskKeyCrcFail = u"crc_check_fail";
constexpr const WCHAR* kMskKeyDiskFull = u"error_disk_full";
constexpr const WCHAR* kMskKeyUserCancel = u"user_cancel";

struct MskErrorText {
    const WCHAR* pKey;
    const WCHAR* pMessage;  // null: no message
};
constexpr MskErrorText kMskErrorTexts[] = {
    {kMskKeyInvalidFile, u"Invalid MSK file. Update fail."},
    {kMskKeyFormatError, u"MSK file format error. Update fail."},
    {kMskKeyCrcFail, u"MSK file type error or file is modified. Update fail."},
    {kMskKeyDiskFull, u"There is not enough space on the disk. Update fail."},
    {kMskKeyUserCancel, nullptr},
};

// One entry record inside the unscrambled directory block. Read field by field, since
// records need not be aligned.
class CMskEntryView {
public:
    explicit CMskEntryView(const BYTE* pRecord = nullptr) : m_pRecord(pRecord) {}
    const BYTE* GetRecord() const { return m_pRecord; }
    DWORD GetRecordSize() const;
    DWORD GetType() const;
    DWORD GetUncompressedSize() const;
    DWORD GetCompressedSize() const;
    DWORD GetDataOffset() const;
    CString GetName() const;  // the record must have passed MskCheckDirectory

private:
    const BYTE* m_pRecord;
};

// The root name, when its length is 1..259 and it ends in a terminator inside the block.
BOOL MskReadRootName(const BYTE* pBlock, DWORD dwLength, CString& strRoot);

// A relative name that cannot leave the folder it is unpacked into: not empty, not
// absolute, no drive, no ".." component.
BOOL MskIsSafeRelativePath(LPCWSTR name);

// A name the device's file system can store: no unit below 0x20 and none of < > : " | ? *.
BOOL MskIsStorableName(LPCWSTR name);

// The device rules for unpacking below pTargetDir: the root name and every directory and
// file name storable, every path (target\root\ and target\root\name) at most 259 units,
// and at least one file entry. The block must have passed MskCheckDirectory.
BOOL MskCheckTargets(const BYTE* pBlock, DWORD dwLength, LPCWSTR pTargetDir, CString& strProblem);

// Everything VerifyPackage judges once the block is read and unscrambled: the check word,
// the structure and the device rules below kMskDeviceTarget. Returns the error key
// ("crc_check_fail" or "file_format_error"), empty when the package is sound; strProblem
// says why in English.
CString MskJudgeDirectory(const BYTE* pBlock, DWORD dwLength, DWORD dwCheckWord, DWORD dwFileSize,
                          CString& strProblem);

// Checks the unscrambled directory block of a package of dwFileSize bytes: the root name,
// every record's size and name against the block end, every file's data against the file
// end. On failure strProblem says what is wrong, in English.
BOOL MskCheckDirectory(const BYTE* pBlock, DWORD dwLength, DWORD dwFileSize, CString& strProblem);

// Calls visit(entry) for each record in directory order; the block must have passed
// MskCheckDirectory. Returns the number of records.
template <class Visit>
DWORD MskForEachEntry(const BYTE* pBlock, DWORD dwLength, Visit&& visit);

DWORD MskFirstEntryOffset(const BYTE* pBlock);

template <class Visit>
DWORD MskForEachEntry(const BYTE* pBlock, DWORD dwLength, Visit&& visit)
{
    DWORD count = 0;
    for (DWORD pos = MskFirstEntryOffset(pBlock); pos < dwLength; ++count) {
        CMskEntryView entry(pBlock + pos);
        visit(entry);
        pos += entry.GetRecordSize();
    }
    return count;
}
