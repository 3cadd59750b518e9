// The conditions of the results (条件) as a sheet of a workbook: for each set
// of blocks made under the same conditions, a row naming the blocks and what
// is known of their run.
#pragma once

#include <span>
#include <string>

#include "engine/report/run_conditions.h"
#include "engine/report/workbook.h"

namespace kelvara {

// `conditions` holds each block's conditions, in the order of `blocks`.
// Items across (計算, 変数, 調査データファイル, 年齢階級区分, 抽出単位, 重み,
// 層, 追加の列, その他の指定, 基準値表, プログラム, 日時); a row per distinct
// set of conditions, numbered in the order they first appear. None is
// written なし, unknown 不明.
WorkbookSheet ConditionsSheet(std::span<const ReportBlock> blocks,
                              std::span<const RunConditions> conditions, std::string sheetName);

}  // namespace kelvara
