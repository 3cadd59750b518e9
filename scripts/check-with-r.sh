#!/bin/sh
# Checks kelvara-tab's design-based figures (stratified standard error,
# confidence interval, coefficient of variation, design effect, share below a
# cut-off, shares judged against person-level reference values, the median's
# confidence interval, intakes adjusted for energy, ratios of totals) against
# R's survey package (and lm) on the example data sets that ship with it:
# nhanes, apistrat and apiclus2; every standard error of the usual-intake
# block's bootstrap against a plain replicate computation from the draws
# kelvara-tab reports; and the energy ratios of --energy-balance with their
# shares outside the goals on a synthetic survey. Needs R with the survey
# package (Debian:
# r-base-core r-cran-survey); the test suite runs it.
#
# Usage: scripts/check-with-r.sh [BUILD_DIR]      (default: build)
set -eu
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build}
tab=$build/kelvara-tab

if [ ! -x "$tab" ]; then
  echo "check-with-r.sh: $tab is missing; build kelvara-tab first" >&2
  exit 2
fi
if ! Rscript -e 'quit(status = !requireNamespace("survey", quietly = TRUE))' >/dev/null 2>&1; then
  echo "check-with-r.sh: needs Rscript with the survey package (apt-get install r-cran-survey)" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
Rscript "$repo/scripts/check_with_r.R" "$tab" "$work"
