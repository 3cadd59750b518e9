// Each drawn age band's dietary reference values, set on its marks for the
// charts to draw beside its intake.
#pragma once

#include "ui/chart/chart_data.h"

struct ChartReference;

// Sets the EAR, UL and DG of every age band of one sex from `reference`, and
// says in the note what was not marked and why. Summaries and both-sexes
// groups are never marked: they mix age bands, or sexes, whose values differ;
// nor are the groups of category numbers, which hold no ages. A mean chart
// gets the DG alone; its note says where the EAR and UL are drawn and why.
void AddReferenceMarks(ChartData& data, const ChartReference& reference);
