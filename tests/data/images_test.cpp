// Every picture the program names must be in images/ of the built program
// and be a usable small icon; the build draws them from data/images.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

namespace {

const char *const kIcons[] = {
    "about", "alarm", "apps", "autorun", "back", "bluetooth", "calls", "contacts",
    "cron", "exit", "file", "folder", "font", "lang", "locked", "modd", "music",
    "phone", "remove", "runadd", "runremove", "sd", "security", "sidebar", "skin",
    "skindel", "sms", "telnet", "themes", "install",
};

QImage load(const char *name)
{
    return QImage(QStringLiteral(VARDEL_BUILD_DIR "/images/%1.png").arg(QLatin1String(name)));
}

// A drawn icon has both see-through and solid pixels: neither a blank
// rendering nor an opaque box.
void expectDrawnOnTransparency(const QImage &img, const char *name)
{
    int clear = 0, solid = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const int a = qAlpha(img.pixel(x, y));
            clear += a == 0;
            solid += a == 255;
        }
    EXPECT_GT(clear, 0) << name << " has no transparent background";
    EXPECT_GT(solid, img.width() * img.height() / 8) << name << " is (almost) empty";
}

TEST(Images, ListIconsAreSmallAndDrawn)
{
    for (const char *name : kIcons) {
        const QImage img = load(name);
        ASSERT_FALSE(img.isNull()) << "images/" << name << ".png missing or unreadable";
        EXPECT_TRUE(img.width() >= 16 && img.width() <= 24 && img.height() == img.width())
            << name << " is " << img.width() << "x" << img.height();
        expectDrawnOnTransparency(img, name);
    }
}

TEST(Images, AboutBoxIconIsLarger)
{
    const QImage img = load("icon");
    ASSERT_FALSE(img.isNull());
    EXPECT_TRUE(img.width() >= 32 && img.width() <= 96 && img.height() == img.width());
    expectDrawnOnTransparency(img, "icon");
}

TEST(Images, NullIsATinyTransparentBlank)
{
    const QImage img = load("null");
    ASSERT_FALSE(img.isNull());
    EXPECT_LE(img.width() * img.height(), 16);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            EXPECT_EQ(qAlpha(img.pixel(x, y)), 0);
}

} // namespace
