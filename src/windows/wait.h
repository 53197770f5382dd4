#pragma once

#include "windows/formbase.h"

// The wait window shown while previews download.
class TForm10 : public FormBase {
    Q_OBJECT
public:
    TForm10(AppContext& context, Forms& forms);
};
