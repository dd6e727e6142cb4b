#include "SidebarTestSupport.h"

#include "mainwindow/SourceListItemFixedEntry.h"
#include "mainwindow/SourceListItemSection.h"
#include "mainwindow/SourceListItemTags.h"
#include "platform/Bundle.h"

#include <QImage>
#include <QPainter>

using namespace vantel;

namespace {

QImage render(const std::optional<QIcon>& icon)
{
    QImage image(24, 24, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (icon) {
        QPainter painter(&image);
        icon->paint(&painter, image.rect());
    }
    return image;
}

// The colour of the most opaque pixel.
QColor dominantColour(const QImage& image)
{
    QColor best(Qt::transparent);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() > best.alpha())
                best = c;
        }
    return best;
}

} // namespace

TEST(SourceListItemContentTypeTest, RawValuesRoundTripAndNothingElseParses)
{
    const QStringList names{"none", "headerCategories", "headerTags", "allApplications", "allFolders", "allFiles",
                            "allFavorites", "allURLs", "lastUsedApplications", "openApplications", "shortcuts", "tag"};
    for (int ordinal = 0; ordinal < names.size(); ++ordinal) {
        const auto type = SourceListItemContentType(ordinal);
        EXPECT_EQ(rawValue(type), names.at(ordinal));
        EXPECT_EQ(sourceListItemContentTypeFromRawValue(names.at(ordinal)), type);
    }
    EXPECT_FALSE(sourceListItemContentTypeFromRawValue(QStringLiteral("Tag")).has_value());
    EXPECT_FALSE(sourceListItemContentTypeFromRawValue(QStringLiteral("tags")).has_value());
    EXPECT_FALSE(sourceListItemContentTypeFromRawValue(QString()).has_value());
}

TEST(SourceListItemKindsTest, HeadersAndCategoriesCarryTheirTags)
{
    const auto header = SourceListItemSection::create(QStringLiteral("Tags"), SourceListItemContentType::headerTags);
    EXPECT_EQ(header->tag(), QStringLiteral("Tags"));
    EXPECT_EQ(header->itemType(), SourceListItemType::header);
    EXPECT_FALSE(header->hasChildren());
    EXPECT_FALSE(header->icon().has_value());

    const auto files = SourceListItemFixedEntry::create(QStringLiteral("Files"), SourceListItemContentType::allFiles);
    EXPECT_EQ(files->tag(), QStringLiteral("::%Files%::%%"));
    EXPECT_EQ(files->itemType(), SourceListItemType::entry);
    EXPECT_TRUE(files->icon().has_value());
    // A category with no image in the table shows none.
    const auto odd = SourceListItemFixedEntry::create(QStringLiteral("Odd"), SourceListItemContentType::tag);
    EXPECT_FALSE(odd->icon().has_value());
}

TEST(SourceListItemKindsTest, RemovingChildrenFreesTheWholeTree)
{
    DataStorage store;
    const auto header = SourceListItemSection::create(QStringLiteral("Tags"), SourceListItemContentType::headerTags);
    std::weak_ptr<SourceListItem> grandchild;
    {
        const auto child = SourceListItemTags::create(QStringLiteral("A"), QString(), store.tagManager());
        const auto leaf = SourceListItemTags::create(QStringLiteral("B"), QStringLiteral("A|B"), store.tagManager());
        child->setParent(header);
        header->appendChild(child);
        leaf->setParent(child);
        child->appendChild(leaf);
        grandchild = leaf;
        EXPECT_EQ(leaf->level(), 2);
        EXPECT_EQ(leaf->parent(), child);
    }
    EXPECT_FALSE(grandchild.expired());
    header->removeAllChildren();
    EXPECT_TRUE(grandchild.expired());
    EXPECT_FALSE(header->hasChildren());
}

TEST(SourceListItemKindsTest, TagIconFollowsTheTagWithoutRebuild)
{
    DataStorage store;
    TagManager& manager = store.tagManager();
    const auto office = iconTag::create(QStringLiteral("Office"), QString());
    manager.allAvailableTags()->append(office);
    const auto node = SourceListItemTags::create(QStringLiteral("Office"), QStringLiteral("Office"), manager);

    // Empty symbol: the default tag image, untinted without a colour.
    EXPECT_EQ(node->image(), (SourceListItemImage{manager.defaultTag, std::nullopt}));
    ASSERT_TRUE(node->icon().has_value());

    office->setColor(platform::Color{1, 0, 0, 1});
    EXPECT_EQ(node->image().tint, QColor(Qt::red));
    const QColor painted = dominantColour(render(node->icon()));
    EXPECT_EQ(painted.red(), 255);
    EXPECT_EQ(painted.green(), 0);

    office->setTagSymbol(QStringLiteral("icon_folder"));
    EXPECT_EQ(node->image().name, QStringLiteral("icon_folder"));

    // A folder node, or a tag the manager does not know, shows the default folder untinted.
    const auto folder = SourceListItemTags::create(QStringLiteral("Games"), QString(), manager);
    EXPECT_EQ(folder->image(), (SourceListItemImage{manager.defaultFolder, std::nullopt}));
    const auto unknown = SourceListItemTags::create(QStringLiteral("Gone"), QStringLiteral("Gone"), manager);
    EXPECT_EQ(unknown->image(), (SourceListItemImage{manager.defaultFolder, std::nullopt}));

    // Renamed away, the node no longer finds it; a new tag of that name is found.
    office->setTagName(QStringLiteral("Work"));
    EXPECT_EQ(node->image().name, manager.defaultFolder);
    const auto again = iconTag::create(QStringLiteral("Office"), QStringLiteral("icon_tags"));
    manager.allAvailableTags()->append(again);
    EXPECT_EQ(node->knownTag(), again);
}

TEST(SourceListItemKindsTest, CategoryTagsNeverEqualAUserTagName)
{
    for (const QString& caption : {QStringLiteral("Files"), QStringLiteral("Applications"), QString()}) {
        const QString tag = SourceListItemFixedEntry::tagForCaption(caption);
        EXPECT_FALSE(tag.isEmpty());
        EXPECT_NE(tag, caption);
        EXPECT_TRUE(tag.startsWith(QStringLiteral("::%")));
    }
}
