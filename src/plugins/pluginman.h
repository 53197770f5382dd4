#pragma once

#include "windows/formbase.h"

// The plug-in manager.
class TForm11 : public FormBase {
    Q_OBJECT
public:
    TForm11(AppContext& context, Forms& forms);
};
