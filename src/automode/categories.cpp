#include "categories.h"

QStringList defaultCategoryNames()
{
    return {
        QStringLiteral("All"),
        QStringLiteral("Digital Art \\ 2D"),
        QStringLiteral("Digital Art \\ 3D \\ Characters"),
        QStringLiteral("Digital Art \\ 3D \\ Objects"),
        QStringLiteral("Digital Art \\ 3D \\ Scenes"),
        QStringLiteral("Digital Art \\ Cartoons \\ Anime"),
        QStringLiteral("Digital Art \\ Cartoons \\ Traditional"),
        QStringLiteral("Photography \\ Abstract"),
        QStringLiteral("Photography \\ Nature \\ Abstract"),
        QStringLiteral("Photography \\ Nature \\ Animals"),
        QStringLiteral("Photography \\ Nature \\ Landscapes"),
        QStringLiteral("Photography \\ Nature \\ Macro"),
        QStringLiteral("Photography \\ Nature \\ Seascapes"),
        QStringLiteral("Photography \\ People \\ Fashion"),
        QStringLiteral("Photography \\ People \\ Portraits"),
        QStringLiteral("Photography \\ Urban&Rural \\ Architecture"),
        QStringLiteral("Photography \\ Urban&Rural \\ Industrial"),
        QStringLiteral("Photography \\ Urban&Rural \\ Street"),
    };
}
