#pragma once

#include "store/TextRow.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace horunea {

// A printed report as data: what is printed where, without a painter. The
// renderer lays it out on A4 portrait pages.

// One box of a line: its caption (printed small at its left; empty for
// none) and the value of one field of the block's row (-1: the caption is
// a label of its own). Widths are shares of the line.
struct ReportBox
{
    QString caption;
    int field = -1;
    int width = 1;
};

struct ReportLine
{
    QList<ReportBox> boxes;
};

// Lines under one caption printed in a column at the block's left ("会社").
struct ReportGroup
{
    QString caption;
    QList<ReportLine> lines;
};

// How one kind of block is printed: its groups, top to bottom, and how far
// it is set in (a subject's logs under the subject).
struct BlockLayout
{
    QList<ReportGroup> groups;
    int indent = 0;
    // A heading (a subject over its logs) never ends a page alone: it goes
    // to the next page unless the first line of the block after it fits too.
    bool keepWithNext = false;
};

// One printed block: its layout and its row's values. `continued` says,
// at the top of a page that starts with this block or inside it, whose it
// is ("青木 ／ 見積依頼（続き）"); empty for a block that starts its own.
struct ReportBlock
{
    int layout = 0;
    TextRow values;
    // What heads a page that goes on with this block's section: "青木（続き）".
    QString continued = QString();
    // The block is its section (a user, a repair): the text heads only a page
    // that begins inside the block. Otherwise (a log) the section began
    // before it, and any page it begins is a continuation.
    bool ownSection = false;
};

// Page margins in twips (1440 to the inch): top, left, right, bottom.
using ReportMargins = std::array<int, 4>;

struct Report
{
    QString name;    // the preview window's title ("顧客一覧")
    QString title;   // ReportTitle, at the top left of every page
    QString heading; // printed in the middle of the page header ("ユーザー印刷")
    // The user sheet prints its fixed heading alone, without title and date.
    bool headingOnly = false;
    QDateTime printedAt;
    ReportMargins margins{1000, 1000, 1000, 1000};
    qreal pointSize = 8;
    // A table's column captions, repeated under every page header.
    std::optional<ReportLine> tableHead;
    QList<BlockLayout> layouts;
    std::vector<ReportBlock> blocks;
};

// Printed in place of the blocks when there are none.
QString noDataText();
// "2026/12/08 / 14:05": the print date and time.
QString printedAtText(const QDateTime& at);
// "1 / 3".
QString pageNumberText(int page, int pageCount);

} // namespace horunea
