#pragma once

#include "windows/formbase.h"

// The first-run wizard.
class TForm4 : public FormBase {
    Q_OBJECT
public:
    TForm4(AppContext& context, Forms& forms);
};
