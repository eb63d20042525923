#include "MskUnpacker.h"

#include <memory>
#include <new>

#include "JXPackCommon.h"
#include "JxHandle.h"
#include "MskFormat.h"
#include "MskPackageRead.h"
#include "wce/files.h"
#include "wce/timesync.h"
#include "wce/wstring.h"
#include "zlib.h"

namespace {

BOOL IsDirectory(LPCWSTR pPath)
{
    DWORD attributes = GetFileAttributesW(pPath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

BOOL Exists(LPCWSTR pPath) { return GetFileAttributesW(pPath) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

CMskUnpacker::CMskUnpacker()
    : m_dwKey(0), m_pDirectory(nullptr), m_dwDirectoryLength(0), m_pfnProgress(nullptr), m_pProgressContext(nullptr)
{
}

CMskUnpacker::~CMskUnpacker() { Reset(); }

void CMskUnpacker::FreeDirectory()
{
    m_entries.clear();
    delete[] m_pDirectory;
    m_pDirectory = nullptr;
    m_dwDirectoryLength = 0;
}

void CMskUnpacker::Reset()
{
    m_strFile.Empty();
    m_strDir.Empty();
    m_strError.Empty();
    m_strRootName.Empty();
    m_strProblem.Empty();
    FreeDirectory();
}

int CMskUnpacker::VerifyPackage(LPCWSTR pPath, DWORD dwKey, CString& strError)
{
    return impVerify(INVALID_HANDLE_VALUE, pPath, dwKey, strError, FALSE);
}

int CMskUnpacker::VerifyPackageData(LPCWSTR pPath, DWORD dwKey, CString& strError)
{
    return impVerify(INVALID_HANDLE_VALUE, pPath, dwKey, strError, TRUE);
}

int CMskUnpacker::VerifyPackageData(HANDLE hPackage, LPCWSTR pPath, DWORD dwKey, CString& strError)
{
    return impVerify(hPackage, pPath, dwKey, strError, TRUE);
}

int CMskUnpacker::impVerify(HANDLE hPackage, LPCWSTR pPath, DWORD dwKey, CString& strError, BOOL bData)
{
    Reset();
    m_strFile = pPath;
    m_dwKey = dwKey;
    CJxPackageHandle package(hPackage, pPath);
    if (!package.IsValid()) {
        strError.Format(u"open file %s failed, error code is %d", m_strFile.c_str(), static_cast<int>(GetLastError()));
        return 0;
    }
    HANDLE h = package.Get();
    DWORD fileSize = 0;
    DWORD checkWord = 0;
    MskLoadFailure failure = MskReadDirectoryBlock(h, dwKey, m_pDirectory, m_dwDirectoryLength, fileSize, checkWord);
    switch (failure) {
    case MskLoadFailure::Magic:
        strError = kMskKeyInvalidFile;
        m_strProblem = u"the file does not start with the package mark";
        break;
    case MskLoadFailure::Read:
    case MskLoadFailure::Format:
        strError = kMskKeyFormatError;
        m_strProblem = u"the header or the directory cannot be read whole";
        break;
    case MskLoadFailure::Check:
    case MskLoadFailure::None: {
        // A damaged directory or a name the device cannot store is refused here, before
        // the caller deletes anything.
        CString key = MskJudgeDirectory(m_pDirectory, m_dwDirectoryLength, checkWord, fileSize, m_strProblem);
        if (!key.IsEmpty())
            strError = key;
        else if (bData)
            impCheckData(h, strError);
        break;
    }
    }
    FreeDirectory();
    if (m_strProblem.IsEmpty()) return 1;
    CString line;
    line.Format(u"CMskUnpacker::VerifyPackage: %s refused: %s\n", m_strFile.c_str(), m_strProblem.c_str());
    OutputDebugStringW(line);
    return 0;
}

void CMskUnpacker::impCheckData(HANDLE hPackage, CString& strError)
{
    CMskDataCheck check;
    DWORD index = 0;
    MskForEachEntry(m_pDirectory, m_dwDirectoryLength, [&](const CMskEntryView& entry) {
        const DWORD at = index++;
        if (!m_strProblem.IsEmpty() || entry.GetType() != kMskTypeFile) return;
        switch (check.CheckEntry(hPackage, entry)) {
        case CMskDataCheck::Result::Whole: break;
        case CMskDataCheck::Result::Damaged:
            strError = kMskKeyFormatError;
            m_strProblem.Format(u"the data of entry %u (%s) does not inflate to its %u bytes", at,
                                entry.GetName().c_str(), entry.GetUncompressedSize());
            break;
        case CMskDataCheck::Result::ReadFailed:
            strError.Format(u"ReadFile failed for %s, GetLastError is %d", m_strFile.c_str(),
                            static_cast<int>(GetLastError()));
            m_strProblem = strError;
            break;
        }
    });
}

int CMskUnpacker::LoadDirectory(HANDLE hPackage)
{
    CJxPackageHandle package(hPackage, m_strFile);
    if (!package.IsValid()) {
        m_strError.Format(u"open file %s failed, GetLastError is %d", m_strFile.c_str(), static_cast<int>(GetLastError()));
        return 0;
    }
    HANDLE h = package.Get();
    DWORD fileSize = 0;
    DWORD checkWord = 0;
    MskLoadFailure failure = MskReadDirectoryBlock(h, m_dwKey, m_pDirectory, m_dwDirectoryLength, fileSize, checkWord);
    CString problem;
    switch (failure) {
    case MskLoadFailure::Magic: m_strError = kMskKeyInvalidFile; break;
    case MskLoadFailure::Read: m_strError.Format(u"read failed %s", m_strFile.c_str()); break;
    case MskLoadFailure::Format:
        m_strError.Format(u"MSK file format error in %s: the directory is too short", m_strFile.c_str());
        break;
    case MskLoadFailure::Check: m_strError = u"check CRC failed, Wrong password?"; break;
    case MskLoadFailure::None:
        if (!MskReadRootName(m_pDirectory, m_dwDirectoryLength, m_strRootName)) {
            m_strError = u"check CRC failed, Wrong password?";
            failure = MskLoadFailure::Check;
        } else if (!MskCheckDirectory(m_pDirectory, m_dwDirectoryLength, fileSize, problem) ||
                   !MskCheckTargets(m_pDirectory, m_dwDirectoryLength, m_strDir, problem)) {
            m_strError.Format(u"MSK file format error in %s: %s", m_strFile.c_str(), problem.c_str());
            failure = MskLoadFailure::Format;
        }
        break;
    }
    if (failure != MskLoadFailure::None) {
        m_strRootName.Empty();
        FreeDirectory();
        return 0;
    }
    MskForEachEntry(m_pDirectory, m_dwDirectoryLength,
                    [this](const CMskEntryView& entry) { m_entries.push_back(entry.GetRecord()); });
    return 1;
}

int CMskUnpacker::Unpack(LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError)
{
    return impUnpack(INVALID_HANDLE_VALUE, pPath, pTargetDir, dwKey, strError);
}

int CMskUnpacker::Unpack(HANDLE hPackage, LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError)
{
    return impUnpack(hPackage, pPath, pTargetDir, dwKey, strError);
}

int CMskUnpacker::impUnpack(HANDLE hPackage, LPCWSTR pPath, LPCWSTR pTargetDir, DWORD dwKey, CString& strError)
{
    Reset();
    m_strFile = pPath;
    m_strDir = pTargetDir;
    m_dwKey = dwKey;
    int result = 0;
    // A package opened for reading is a file: folders open only with backup semantics.
    if (hPackage == INVALID_HANDLE_VALUE && (!Exists(m_strFile) || IsDirectory(m_strFile))) {
        m_strError.Format(u"the file for unpack '%s' is not valid", m_strFile.c_str());
    } else if (!IsDirectory(m_strDir)) {
        m_strError.Format(u"the unpack directory '%s' is not valid", m_strDir.c_str());
    } else if (LoadDirectory(hPackage)) {
        // Every target path has passed the device rules, so nothing is written for a
        // package with one bad name.
        m_strDir = AddTrailingBackslash(AddTrailingBackslash(m_strDir) + m_strRootName);
        if (!Exists(m_strDir)) {
            if (CreateDirectoryTree(m_strDir))
                result = UnpackEntries(hPackage);
            else
                m_strError.Format(u"can not create directory: %s\n", m_strDir.c_str());
        } else if (!IsDirectory(m_strDir)) {
            m_strError.Format(u"can't not unpack to directory: %s\n", m_strDir.c_str());
        } else {
            result = UnpackEntries(hPackage);
        }
    }
    strError = m_strError;
    return result;
}

int CMskUnpacker::ReportProgress(DWORD dwIndex, LPCWSTR pName, DWORD dwCount)
{
    if (m_pfnProgress && !m_pfnProgress(m_pProgressContext, dwIndex, pName, dwCount)) {
        m_strError = kMskKeyUserCancel;
        return 0;
    }
    return 1;
}

int CMskUnpacker::UnpackEntries(HANDLE hPackage)
{
    // Each entry seeks to its own data, so the rewind does not matter here.
    CJxPackageHandle package(hPackage, m_strFile);
    if (!package.IsValid()) {
        m_strError.Format(u"open file %s failed, error code is %d", m_strFile.c_str(), static_cast<int>(GetLastError()));
        return 0;
    }
    HANDLE h = package.Get();
    const DWORD count = static_cast<DWORD>(m_entries.size());
    DWORD index = 0;
    for (const BYTE* record : m_entries) {
        CMskEntryView entry(record);
        if (entry.GetType() != kMskTypeDirectory) continue;
        CString name = entry.GetName();
        CString path = m_strDir + name;
        if (!CreateDirectoryTree(path)) {
            m_strError.Format(u"can not create directory: %s", path.c_str());
            return 0;
        }
        if (!ReportProgress(index++, name, count)) return 0;
    }
    for (const BYTE* record : m_entries) {
        CMskEntryView entry(record);
        if (entry.GetType() != kMskTypeFile) continue;
        if (!ExtractFile(record, h)) return 0;
        if (!ReportProgress(index++, entry.GetName(), count)) return 0;
    }
    return 1;
}

int CMskUnpacker::ExtractFile(const BYTE* pRecord, HANDLE hPackage)
{
    CMskEntryView entry(pRecord);
    CString target = m_strDir + entry.GetName();
    const DWORD packedSize = entry.GetCompressedSize();
    const DWORD plainSize = entry.GetUncompressedSize();
    // Both buffers live only for this entry, so peak memory is the largest file's pair.
    std::unique_ptr<BYTE[]> packed(new (std::nothrow) BYTE[packedSize ? packedSize : 1]);
    std::unique_ptr<BYTE[]> plain(new (std::nothrow) BYTE[plainSize ? plainSize : 1]);
    if (!packed || !plain) {
        m_strError.Format(u"not enough memory to unpack %s (%u bytes)", target.c_str(), plainSize);
        return 0;
    }
    LONG high = 0;  // the offset is unsigned: never a move backwards
    SetLastError(ERROR_SUCCESS);
    if (SetFilePointer(hPackage, static_cast<LONG>(entry.GetDataOffset()), &high, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER &&
        GetLastError() != ERROR_SUCCESS) {
        m_strError.Format(u"SetFilePointer for %s failed, GetLastError is %d", target.c_str(),
                          static_cast<int>(GetLastError()));
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    if (!JxReadExactly(hPackage, packed.get(), packedSize)) {
        // A read without an error ended at the file's end: the package was cut meanwhile.
        DWORD error = GetLastError();
        m_strError.Format(u"ReadFile failed for %s, GetLastError is %d", target.c_str(),
                          static_cast<int>(error == ERROR_SUCCESS ? DWORD{ERROR_HANDLE_EOF} : error));
        return 0;
    }
    uLongf produced = plainSize;
    if (uncompress(plain.get(), &produced, packed.get(), packedSize) != Z_OK || produced != plainSize) {
        m_strError = u"uncompress failed";
        return 0;
    }
    packed.reset();
    HANDLE out = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 4 && out == INVALID_HANDLE_VALUE; ++attempt)
        out = CreateFileW(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        m_strError.Format(u"CreateFile %s failed, GetLastError is %d", target.c_str(), static_cast<int>(GetLastError()));
        return 0;
    }
    CJxAutoHandle closer(out);
    DWORD written = 0;
    if (!WriteFile(out, plain.get(), plainSize, &written, nullptr) || written != plainSize) {
        DWORD error = GetLastError();
        if (error == ERROR_DISK_FULL)
            m_strError = kMskKeyDiskFull;
        else
            m_strError.Format(u"WriteFile %s failed, GetLastError is %d", target.c_str(), static_cast<int>(error));
        return 0;
    }
    return 1;
}

int CMskUnpacker::CreateDirectoryTree(LPCWSTR pPath)
{
    if (IsDirectory(pPath)) return 1;
    // The walk works in a buffer of the device's path size; longer paths cannot be made.
    WCHAR buffer[kMskMaxPath + 1];
    if (!pPath || WStrLen(pPath) > kMskMaxPath) return 0;
    const size_t length = WStrCopy(buffer, kMskMaxPath + 1, pPath);
    // Only the missing end is made: each lookup walks every name of its path, so trying every
    // prefix of every folder of a deep tree cost the cube of its depth.
    WCHAR* pStart = buffer;
    for (WCHAR* p = buffer + length; p > buffer; --p) {
        if (*p != u'\\' && *p != u'/') continue;
        *p = 0;
        const BOOL bExists = IsDirectory(buffer);
        *p = u'\\';
        if (bExists) {
            pStart = p + 1;
            break;
        }
    }
    for (WCHAR* p = pStart; *p; ++p) {
        if (*p != u'\\' && *p != u'/') continue;
        *p = 0;
        if (p != buffer) CreateDirectoryW(buffer, nullptr);
        *p = u'\\';
    }
    CreateDirectoryW(buffer, nullptr);
    return IsDirectory(buffer) ? 1 : 0;
}

CString CMskUnpacker::AddTrailingBackslash(const CString& strPath)
{
    CString result = strPath;
    int length = result.GetLength();
    if (length > 0 && (result[length - 1] == u'\\' || result[length - 1] == u'/')) result = result.Left(length - 1);
    result += u'\\';
    return result;
}
