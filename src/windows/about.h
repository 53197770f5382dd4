#pragma once

#include "windows/formbase.h"

// The About window.
class TForm3 : public FormBase {
    Q_OBJECT
public:
    TForm3(AppContext& context, Forms& forms);
};
