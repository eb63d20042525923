#include "MskFormat.h"

#include "JXPackCommon.h"

DWORD CMskEntryView::GetRecordSize() const { return JxReadLe32(m_pRecord); }
DWORD CMskEntryView::GetType() const { return JxReadLe32(m_pRecord + 4); }
DWORD CMskEntryView::GetUncompressedSize() const { return JxReadLe32(m_pRecord + 8); }
DWORD CMskEntryView::GetCompressedSize() const { return JxReadLe32(m_pRecord + 12); }
DWORD CMskEntryView::GetDataOffset() const { return JxReadLe32(m_pRecord + 16); }

CString CMskEntryView::GetName() const
{
    CString name;
    for (const BYTE* p = m_pRecord + kMskEntryFixedSize;; p += 2) {
        WCHAR c = JxReadLe16(p);
        if (!c) break;
        name += c;
    }
    return name;
}

DWORD MskFirstEntryOffset(const BYTE* pBlock)
{
    return kMskBlockFixedSize + 2 * JxReadLe32(pBlock + 12);
}

BOOL MskReadRootName(const BYTE* pBlock, DWORD dwLength, CString& strRoot)
{
    if (!pBlock || dwLength < kMskBlockFixedSize) return FALSE;
    auto units = static_cast<std::int32_t>(JxReadLe32(pBlock + 12));
    if (units < 1 || units > kMskMaxPath) return FALSE;
    if (kMskBlockFixedSize + 2 * static_cast<DWORD>(units) > dwLength) return FALSE;
    const BYTE* name = pBlock + kMskBlockFixedSize;
    if (JxReadLe16(name + 2 * (units - 1)) != 0) return FALSE;
    strRoot.Empty();
    for (int i = 0; i < units - 1; ++i) {
        WCHAR c = JxReadLe16(name + 2 * i);
        if (!c) break;
        strRoot += c;
    }
    return TRUE;
}

BOOL MskIsSafeRelativePath(LPCWSTR name)
{
    if (!name || !name[0]) return FALSE;
    if (name[0] == u'\\' || name[0] == u'/') return FALSE;
    if (name[1] == u':') return FALSE;
    // Walk the components; ".." anywhere could climb out of the target.
    const WCHAR* start = name;
    for (const WCHAR* p = name;; ++p) {
        if (*p == u'\\' || *p == u'/' || *p == 0) {
            if (p - start == 2 && start[0] == u'.' && start[1] == u'.') return FALSE;
            if (*p == 0) return TRUE;
            start = p + 1;
        }
    }
}

namespace {

// Index of the name's terminator in units, or -1 when it is missing inside its record.
// Searching only the record keeps the whole check linear in the block length.
long FindNameEnd(const BYTE* pName, DWORD dwRecordBytes)
{
    for (DWORD i = 0; i + 2 <= dwRecordBytes; i += 2)
        if (JxReadLe16(pName + i) == 0) return static_cast<long>(i / 2);
    return -1;
}

}  // namespace

BOOL MskCheckDirectory(const BYTE* pBlock, DWORD dwLength, DWORD dwFileSize, CString& strProblem)
{
    CString root;
    if (!MskReadRootName(pBlock, dwLength, root)) {
        strProblem = u"the root name is damaged";
        return FALSE;
    }
    if (!MskIsSafeRelativePath(root)) {
        strProblem.Format(u"the root name '%s' is not a plain relative name", root.c_str());
        return FALSE;
    }
    DWORD index = 0;
    for (DWORD pos = MskFirstEntryOffset(pBlock); pos < dwLength; ++index) {
        DWORD left = dwLength - pos;
        if (left < kMskEntryFixedSize) {
            strProblem.Format(u"entry %u runs past the end of the directory", index);
            return FALSE;
        }
        CMskEntryView entry(pBlock + pos);
        DWORD size = entry.GetRecordSize();
        if (size < kMskEntryFixedSize || size > left || size > kMskMaxRecordSize) {
            strProblem.Format(u"entry %u has a bad record size (%u)", index, size);
            return FALSE;
        }
        long nameUnits = FindNameEnd(pBlock + pos + kMskEntryFixedSize, size - kMskEntryFixedSize);
        if (nameUnits < 0) {
            strProblem.Format(u"the name of entry %u has no end", index);
            return FALSE;
        }
        DWORD type = entry.GetType();
        if (type == kMskTypeDirectory || type == kMskTypeFile) {
            CString name = entry.GetName();
            if (nameUnits > kMskMaxPath || !MskIsSafeRelativePath(name)) {
                strProblem.Format(u"entry %u has an unsafe name '%s'", index, name.c_str());
                return FALSE;
            }
        }
        if (type == kMskTypeFile) {
            std::uint64_t end = static_cast<std::uint64_t>(entry.GetDataOffset()) + entry.GetCompressedSize();
            if (end > dwFileSize) {
                strProblem.Format(u"the data of entry %u lies outside the file", index);
                return FALSE;
            }
            std::uint64_t most = static_cast<std::uint64_t>(entry.GetCompressedSize()) * kMskMaxInflateRatio + 64;
            if (entry.GetUncompressedSize() > most) {
                strProblem.Format(u"entry %u claims an impossible size (%u)", index, entry.GetUncompressedSize());
                return FALSE;
            }
        }
        pos += size;
    }
    return TRUE;
}

BOOL MskIsStorableName(LPCWSTR name)
{
    if (!name) return FALSE;
    for (const WCHAR* p = name; *p; ++p) {
        WCHAR c = *p;
        if (c < 0x20 || c == u'<' || c == u'>' || c == u':' || c == u'"' || c == u'|' || c == u'?' || c == u'*')
            return FALSE;
    }
    return TRUE;
}

BOOL MskCheckTargets(const BYTE* pBlock, DWORD dwLength, LPCWSTR pTargetDir, CString& strProblem)
{
    CString root;
    MskReadRootName(pBlock, dwLength, root);
    if (!MskIsStorableName(root)) {
        strProblem.Format(u"the root name '%s' holds a character the device cannot store", root.c_str());
        return FALSE;
    }
    CString folder = pTargetDir ? pTargetDir : u"";
    int length = folder.GetLength();
    if (length > 0 && (folder[length - 1] == u'\\' || folder[length - 1] == u'/')) folder = folder.Left(length - 1);
    folder += u'\\';
    folder += root;
    folder += u'\\';
    if (folder.GetLength() > kMskMaxPath) {
        strProblem.Format(u"the path %s is too long", folder.c_str());
        return FALSE;
    }
    DWORD files = 0;
    BOOL ok = TRUE;
    DWORD index = 0;
    MskForEachEntry(pBlock, dwLength, [&](const CMskEntryView& entry) {
        DWORD type = entry.GetType();
        DWORD at = index++;
        if (!ok || (type != kMskTypeDirectory && type != kMskTypeFile)) return;
        if (type == kMskTypeFile) ++files;
        CString name = entry.GetName();
        if (!MskIsStorableName(name)) {
            strProblem.Format(u"entry %u has a name the device cannot store '%s'", at, name.c_str());
            ok = FALSE;
        } else if (folder.GetLength() + name.GetLength() > kMskMaxPath) {
            strProblem.Format(u"the path %s%s is too long", folder.c_str(), name.c_str());
            ok = FALSE;
        }
    });
    if (ok && files == 0) {
        strProblem = u"the package holds no file";
        ok = FALSE;
    }
    return ok;
}

CString MskJudgeDirectory(const BYTE* pBlock, DWORD dwLength, DWORD dwCheckWord, DWORD dwFileSize,
                          CString& strProblem)
{
    if (dwLength < 4 || JxReadLe32(pBlock) != dwCheckWord) {
        strProblem = u"the check word does not match (wrong password?)";
        return kMskKeyCrcFail;
    }
    if (!MskCheckDirectory(pBlock, dwLength, dwFileSize, strProblem) ||
        !MskCheckTargets(pBlock, dwLength, kMskDeviceTarget, strProblem))
        return kMskKeyFormatError;
    return CString();
}
