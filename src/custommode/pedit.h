#pragma once

#include "windows/formbase.h"

// The profile editor.
class TForm7 : public FormBase {
    Q_OBJECT
public:
    TForm7(AppContext& context, Forms& forms);
};
