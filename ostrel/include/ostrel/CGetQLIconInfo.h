#pragma once

#include <ostrel/CPXRegData.h>
#include <ostrel/Records.h>
#include <ostrel/ostrel_export.h>

#include <platform/CList.h>
#include <platform/CString.h>

// The quick-launch entries in slot order, each with the small icon of its program.
class OSTREL_EXPORT CGetQLIconInfo {
public:
    CGetQLIconInfo() = default;
    CGetQLIconInfo(const CGetQLIconInfo&) = delete;
    CGetQLIconInfo& operator=(const CGetQLIconInfo&) = delete;
    // Releases the icons the list still holds.
    virtual ~CGetQLIconInfo();

    void InitReg();
    void InsertQL(CString strPath);
    void DeleteQL(int nIndex);

    QLICONDATA GetStart();
    QLICONDATA GetEnd();
    QLICONDATA GetNext();
    QLICONDATA GetPrev();
    QLICONDATA GetAtNext(int nIndex);
    QLICONDATA GetAtPrev(int nIndex);
    QLICONDATA GetIcon(int nIndex);

    CPXRegData m_RegData;
    int m_nNewPK = 0;
    int m_nCurIndex = 0;
    POSITION m_posCur = nullptr;
    CList<QLICONDATA> m_List{10};
};
