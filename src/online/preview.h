#pragma once

#include "windows/formbase.h"

// The category preview window.
class TForm8 : public FormBase {
    Q_OBJECT
public:
    TForm8(AppContext& context, Forms& forms);
};
