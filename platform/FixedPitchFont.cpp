#include <Orbalog/FixedPitchFont.h>

#include <QFontDatabase>
#include <QFontInfo>

namespace Orbalog {

QFont FixedPitchFont(const QString &Family, int PointSize)
{
    QFont font(Family, PointSize);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(PointSize);
    }
    return font;
}

} // namespace Orbalog
