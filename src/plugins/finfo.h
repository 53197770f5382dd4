#pragma once

#include "windows/formbase.h"

// The plug-in info window.
class TForm12 : public FormBase {
    Q_OBJECT
public:
    TForm12(AppContext& context, Forms& forms);
};
