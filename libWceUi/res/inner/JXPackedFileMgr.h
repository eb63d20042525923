// The process-wide cache of open archives, by lower-case archive path. An archive object
// lives from the first path that names its archive until the framework's globals go.
#pragma once

#include "JXMapStringToType.h"
#include "wce/types.h"

class CJxPackedFile;

class CJxPackedFileMgr {
public:
    CJxPackedFileMgr();
    ~CJxPackedFileMgr();  // deletes every archive object
    CJxPackedFileMgr(const CJxPackedFileMgr&) = delete;
    CJxPackedFileMgr& operator=(const CJxPackedFileMgr&) = delete;

    // The archive object for pPackPath (compared in lower case), created on first use
    // without reading anything. Null only for a path of MAX_PATH units or more, or when
    // memory runs out.
    CJxPackedFile* GetPackedFile(LPCWSTR pPackPath);
    // The archive object for pPackPath if there is one already; never creates it.
    CJxPackedFile* FindPackedFile(LPCWSTR pPackPath) const;

    int GetCount() const { return m_mapPackedFiles.GetCount(); }

private:
    JXMapStringToType<CJxPackedFile*> m_mapPackedFiles;
};
