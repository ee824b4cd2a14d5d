// The interface through which a bitmap list tells the controls that show its pictures about
// changes. Components are not reference-counted: dropping a reference never frees one.
#pragma once
#include "framework/Strings.h"

class TBitmapList;

// {EC0BD461-2BB4-11D3-8365-00A02485FAB9}
constexpr const char* IID_IBitmapListClient = "{EC0BD461-2BB4-11D3-8365-00A02485FAB9}";

class IBitmapListClient {
public:
    virtual void GetImageIDs(TStrings& strings) = 0;
    virtual void ImageChanged() = 0;
    virtual void SetBitmapList(TBitmapList* value) = 0;
    virtual TBitmapList* GetBitmapList() = 0;
protected:
    ~IBitmapListClient() = default;
};
