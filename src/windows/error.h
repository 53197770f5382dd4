#pragma once

#include "windows/formbase.h"

// The error window; it exists, hidden, for the whole run.
class TForm5 : public FormBase {
    Q_OBJECT
public:
    TForm5(AppContext& context, Forms& forms);
};
