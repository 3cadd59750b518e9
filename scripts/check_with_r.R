# Cross-checks kelvara-tab's design-based figures against R's survey package
# on the example data sets that ship with it. Called by scripts/check-with-r.sh:
#
#   Rscript scripts/check_with_r.R KELVARA_TAB WORK_DIR
#
# Each data set is written as a code page 932 CSV with the columns Kelvara
# needs, read back (so that R and Kelvara start from the same numbers), and
# tabulated by kelvara-tab with every added figure, one analysis variable at a
# time. For every group line of two or more persons the mean, the standard
# error, the confidence limits, the coefficient of variation, the design
# effect, the share below the cut-off and its standard error are compared with
# R's, printed the same way (%g, 6 significant digits). Then the api data are
# judged against a small reference table of person-level cut-offs (by sex,
# category band and pregnancy): the persons each figure judges, and each share
# below the EAR, at or above the AI, above the UL and outside the DG (sodium's
# through salt's) against svymean over that figure's domain,
# and the median's Woodruff interval against R code applying the report's
# percentile rule. Intakes adjusted for energy are checked by the residual
# method against lm(weights =) per sex (slope, intercept, mean energy, persons)
# and svymean on the adjusted values, and by density against svymean on y / x
# * 1000; ratios of totals against svyratio with strata and clusters, group by
# group. Last, the usual-intake block's bootstrap: every standard error against
# a plain replicate computation from the draws kelvara-tab reports; and the
# energy ratios of --energy-balance, worked out in R from the columns of a
# synthetic survey: their means, standard errors and shares outside the goals.
# Exit status 0 when every figure agrees.

suppressMessages(library(survey))
options(survey.lonely.psu = "certainty")

args <- commandArgs(trailingOnly = TRUE)
if (length(args) != 2) stop("usage: Rscript check_with_r.R KELVARA_TAB WORK_DIR")
tab <- args[1]
work <- args[2]

# Header texts (written in code page 932): 層, 抽出単位, 性別, 年齢区分,
# 妊婦授乳婦, 重み.
h_stratum <- "\u5c64"
h_unit <- "\u62bd\u51fa\u5358\u4f4d"
h_sex <- "\u6027\u5225"
h_age <- "\u5e74\u9f62\u533a\u5206"
h_preg <- "\u598a\u5a66\u6388\u4e73\u5a66"
h_weight <- "\u91cd\u307f"

male <- "\u7537"
female <- "\u5973"
both <- "\u7537\u5973"
total <- "\u8a08"

# Category scheme groups: label -> members, for category numbers c.
group_members <- function(label, sex, c) {
  who <- if (startsWith(label, both)) rep(TRUE, length(sex))
         else if (startsWith(label, male)) sex == 1
         else sex == 2
  rest <- sub(paste0("^(", both, "|", male, "|", female, ")"), "", label)
  if (rest == total) who & c >= 1 & c <= 10 else who & c == as.numeric(rest)
}

fmt <- function(x) ifelse(is.na(x), "", sprintf("%g", x))

# A survey as Kelvara reads it: the columns in this order, NA as empty cells.
# `columns` is a data frame with stratum (or NULL), unit (or NULL), sex, c,
# weight and the analysis variables.
write_survey <- function(columns, path) {
  out <- data.frame(check.names = FALSE, row.names = NULL,
                    stratum = if (is.null(columns$stratum)) 1 else columns$stratum,
                    unit = if (is.null(columns$unit)) 1 else columns$unit,
                    sex = columns$sex, c = columns$c,
                    preg = if (is.null(columns$preg)) 0 else columns$preg,
                    weight = columns$weight)
  names(out) <- c(h_stratum, h_unit, h_sex, h_age, h_preg, h_weight)
  out <- cbind(out, columns$variables)
  write.csv(out, path, row.names = FALSE, na = "", fileEncoding = "CP932")
  read.csv(path, check.names = FALSE, fileEncoding = "CP932")
}

run_tab <- function(path, variable_column, cut_off, strata, units, extra = character(0)) {
  options <- c("--sex", "3", "--age", "4", "--pregnancy", "5", "--weight", "6",
               "--scheme", "category", "--ci", "--cv", "--deff",
               "--below", format(cut_off, scientific = FALSE), "--utf8", extra)
  if (strata) options <- c(options, "--strata", "1")
  if (units) options <- c(options, "--unit", "2")
  lines <- system2(tab, c(options, path, as.character(variable_column)), stdout = TRUE)
  if (!is.null(attr(lines, "status"))) stop("kelvara-tab failed on ", path)
  Encoding(lines) <- "UTF-8"
  lines
}

fields_of <- function(line) {
  f <- strsplit(line, ",", fixed = TRUE)[[1]]
  if (endsWith(line, ",")) f <- c(f, "")
  f[1] <- gsub('"', "", f[1])
  f
}

totals <- new.env()
totals$compared <- 0
totals$agreed <- 0
totals$as_zero <- 0
totals$failed <- 0

# Compares the printed figures; spreads that are zero up to rounding noise on
# either side (a group inside one unit) count as agreeing zeros.
compare <- function(where, names, kelvara, r, mean) {
  expected <- fmt(r)
  for (i in seq_along(names)) {
    totals$compared <- totals$compared + 1
    if (identical(kelvara[i], expected[i])) {
      totals$agreed <- totals$agreed + 1
      next
    }
    k <- suppressWarnings(as.numeric(kelvara[i]))
    tiny <- 1e-10 * (1 + abs(mean))
    if (!is.na(k) && !is.na(r[i]) && abs(k) < tiny && abs(r[i]) < tiny) {
      totals$as_zero <- totals$as_zero + 1
      cat(sprintf("  zero up to noise: %s %s: kelvara %s, R %s\n", where, names[i], kelvara[i],
                  expected[i]))
      next
    }
    totals$failed <- totals$failed + 1
    cat(sprintf("  DIFFERS %s %s: kelvara %s, R %s\n", where, names[i], kelvara[i], expected[i]))
  }
}

figure_names <- c("mean", "SE", "CI lower", "CI upper", "CV", "deff", "share", "share SE")

# The design of the usable rows: units nested in strata, or units alone; each
# row a unit of its own without a unit column.
design_of <- function(usable, strata, units) {
  usable$stratum <- usable[[h_stratum]]
  usable$unit <- if (units) usable[[h_unit]] else seq_len(nrow(usable))
  usable$w <- usable[[h_weight]]
  if (strata) {
    svydesign(ids = ~unit, strata = ~stratum, weights = ~w, nest = TRUE, data = usable)
  } else {
    svydesign(ids = ~unit, weights = ~w, data = usable)
  }
}

# Compares one printed figure of the block's closing lines.
compare_text <- function(where, kelvara, expected) {
  totals$compared <- totals$compared + 1
  if (identical(kelvara, expected)) {
    totals$agreed <- totals$agreed + 1
  } else {
    totals$failed <- totals$failed + 1
    cat(sprintf("  DIFFERS %s: kelvara %s, R %s\n", where, kelvara, expected))
  }
}

# The strata line of a block against the design's strata and units.
compare_strata_line <- function(where, line, design, strata) {
  usable <- design$variables
  expected <- if (strata) {
    psus <- unique(usable[, c("stratum", "unit")])
    singles <- sum(table(psus$stratum) == 1)
    paste0("\u5c64\u306e\u6570\uff1a", length(unique(usable$stratum)),
           "\u3001\u62bd\u51fa\u5358\u4f4d\u306e\u6570\uff1a", nrow(psus),
           "\u3001\u81ea\u7531\u5ea6\uff1a", degf(design),
           if (singles > 0) paste0("\u30011\u5358\u4f4d\u306e\u5c64\uff1a", singles) else "")
  } else {
    paste0("\u5c64\u306e\u6570\uff1a", length(unique(usable$unit)))
  }
  compare_text(paste(where, "strata line"), gsub('"', "", line), expected)
}

# The group lines of an ordinary block (with --ci --cv --deff --below) over
# the design's y against svymean, group by group.
compare_group_lines <- function(where, group_lines, design, cut_off, show = FALSE) {
  usable <- design$variables
  df <- degf(design)
  design$variables$below <- as.numeric(usable$y < cut_off)
  for (line in group_lines) {
    f <- fields_of(line)
    n <- as.integer(f[2])
    if (n < 2) next
    members <- group_members(f[1], usable[[h_sex]], usable[[h_age]])
    if (sum(members) != n) stop(sprintf("%s %s: %d members in R", where, f[1], sum(members)))
    group <- subset(design, members)
    m <- svymean(~y, group, deff = "replace")
    ci <- confint(m, df = df)
    share <- svymean(~below, group)
    r <- c(coef(m), SE(m), ci[1], ci[2], 100 * SE(m) / abs(coef(m)), deff(m),
           100 * coef(share), 100 * SE(share))
    r <- unname(r)
    kelvara <- c(f[4], f[6], f[18:23])
    compare(paste(where, f[1]), figure_names, kelvara, r, as.numeric(f[4]))
    if (show) {
      cat(line, "\n")
      cat(sprintf("R: %s,%d,%s,%s,%s,%s,%s,%s,%s,%s\n", f[1], n, fmt(r[1]), fmt(r[2]), fmt(r[3]),
                  fmt(r[4]), fmt(r[5]), fmt(r[6]), fmt(r[7]), fmt(r[8])))
    }
  }
}

# Counts the figures compared from here on, and prints them on leaving.
count_figures <- function(caption) {
  before <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed)
  function() {
    counts <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed) - before
    cat(sprintf("%s: %d figures, %d agree, %d zero up to noise, %d differ\n", caption,
                counts[1], counts[2], counts[3], counts[4]))
  }
}

# The report's blocks: its lines between empty lines.
blocks_of <- function(lines) {
  ends <- which(lines == "")
  starts <- c(1, head(ends, -1) + 1)
  mapply(function(a, b) lines[a:(b - 1)], starts, ends, SIMPLIFY = FALSE)
}

# One analysis variable of one data set: kelvara-tab against R, group by group.
check_variable <- function(title, data, variable, cut_off, strata, units, show = FALSE) {
  report <- count_figures(sprintf("%s, %s below %g", title, variable, cut_off))
  on.exit(report())
  usable <- data[!is.na(data[[variable]]), ]
  usable$y <- usable[[variable]]
  design <- design_of(usable, strata, units)
  lines <- run_tab(paths[[title]], match(variable, names(data)), cut_off, strata, units)
  if (show) cat(sprintf("\n%s, %s (cut-off %g), kelvara-tab and R:\n", title, variable, cut_off))
  compare_strata_line(paste(title, variable), lines[length(lines) - 1], design, strata)
  compare_group_lines(paste(title, variable), lines[3:(length(lines) - 2)], design, cut_off, show)
  if (show) cat(lines[length(lines) - 1], "\n\n")
}

# Category numbers 1 to 10 from a percentage: tenths, 100 in the tenth.
tenths <- function(percent) pmin(10, percent %/% 10 + 1)

dir.create(work, showWarnings = FALSE, recursive = TRUE)
paths <- list()
data(nhanes)
data(api)

# nhanes: 15 strata of two units each, unit codes 1 and 2 in every stratum.
# Sex is RIAGENDR; the age category is the number of agecat's interval
# (1 to 4: up to 19, 20-39, 40-59, 60 and over). HI_CHOL (0/1, with missing
# values) is the analysis variable; race (1 to 4, complete) a second one.
paths$nhanes <- file.path(work, "nhanes.csv")
nh <- write_survey(list(stratum = nhanes$SDMVSTRA, unit = nhanes$SDMVPSU,
                        sex = nhanes$RIAGENDR, c = as.integer(nhanes$agecat),
                        weight = nhanes$WTMEC2YR,
                        variables = nhanes[, c("HI_CHOL", "race")]), paths$nhanes)

# apistrat: schools sampled within school type (E 1, H 2, M 3), each school a
# unit of its own. Schools have no sex or age: "sex" is whether the school met
# its school-wide growth target (1 yes, 2 no), the category the tenth of the
# percentage of pupils with subsidised meals (1: under 10 %, ..., 10: 90 % and
# over). acs.k3 is missing for most middle and high schools.
api_columns <- function(d, strata, units) {
  list(stratum = strata, unit = units,
       sex = ifelse(d$sch.wide == "Yes", 1, 2), c = tenths(d$meals), weight = d$pw,
       variables = d[, c("api00", "enroll", "acs.k3", "api.stu")])
}
paths$apistrat <- file.path(work, "apistrat.csv")
as <- write_survey(api_columns(apistrat, as.integer(apistrat$stype), NULL), paths$apistrat)

# apiclus2: districts sampled, then schools within them. First with districts
# as units (no strata); then with districts as strata and schools as units,
# which makes the districts of a single sampled school certainty units.
paths$apiclus2 <- file.path(work, "apiclus2.csv")
ac <- write_survey(api_columns(apiclus2, NULL, apiclus2$dnum), paths$apiclus2)
paths[["apiclus2 (districts as strata)"]] <- file.path(work, "apiclus2_strata.csv")
acs <- write_survey(api_columns(apiclus2, apiclus2$dnum, apiclus2$snum),
                    paths[["apiclus2 (districts as strata)"]])

check_variable("nhanes", nh, "HI_CHOL", 0.5, strata = TRUE, units = TRUE, show = TRUE)
check_variable("nhanes", nh, "race", 2, strata = TRUE, units = TRUE)
for (v in list(c("api00", 700), c("enroll", 500), c("acs.k3", 20))) {
  check_variable("apistrat", as, v[1], as.numeric(v[2]), strata = TRUE, units = FALSE)
  check_variable("apiclus2", ac, v[1], as.numeric(v[2]), strata = FALSE, units = TRUE)
  check_variable("apiclus2 (districts as strata)", acs, v[1], as.numeric(v[2]),
                 strata = TRUE, units = TRUE)
}

# Intakes adjusted for energy: the api data's "nutrient" (api00, acs.k3 with
# its missing values) adjusted for enroll as "energy" (missing in apiclus2).
# By the residual method each "sex" has its lm(weights =) fit, whose slope,
# intercept, mean energy and persons the method line states; the adjusted
# values are the residuals plus the fitted value at the sex's weighted mean
# energy, and the block's figures are svymean's on them. By density, the
# values are y / x * 1000 where x > 0.
check_energy <- function(title, data, variable, energy, method, cut_off, strata, units) {
  report <- count_figures(sprintf("%s, %s adjusted for %s (%s)", title, variable, energy,
                                method))
  on.exit(report())
  rows <- data
  rows$y <- rows[[variable]]
  rows$x <- rows[[energy]]
  rows$adjusted <- NA
  fits <- list()
  if (method == "residual") {
    for (s in 1:2) {
      in_fit <- !is.na(rows$y) & !is.na(rows$x) & rows[[h_sex]] == s
      d <- rows[in_fit, ]
      d$w <- d[[h_weight]]
      fit <- lm(y ~ x, data = d, weights = w)
      mean_x <- weighted.mean(d$x, d$w)
      rows$adjusted[in_fit] <- residuals(fit) + predict(fit, data.frame(x = mean_x))
      fits[[s]] <- c(coef(fit)[["x"]], coef(fit)[["(Intercept)"]], mean_x, nrow(d))
    }
  } else {
    ok <- !is.na(rows$y) & !is.na(rows$x) & rows$x > 0
    rows$adjusted[ok] <- rows$y[ok] / rows$x[ok] * 1000
  }
  usable <- rows[!is.na(rows$adjusted), ]
  usable$y <- usable$adjusted
  design <- design_of(usable, strata, units)
  lines <- run_tab(paths[[title]], match(variable, names(data)), cut_off, strata, units,
                   c("--energy-adjust", method, "--energy", match(energy, names(data))))
  block <- blocks_of(lines)[[2]]
  where <- paste(title, variable, method)
  heading <- if (method == "residual") {
    "\uff08\u30a8\u30cd\u30eb\u30ae\u30fc\u8abf\u6574\uff1a\u6b8b\u5dee\u6cd5\uff09"
  } else {
    "\uff08\u30a8\u30cd\u30eb\u30ae\u30fc\u5bc6\u5ea6\uff1a1000kcal\u5f53\u305f\u308a\uff09"
  }
  compare_text(paste(where, "heading"), block[1],
               paste0('"\u3010', variable, heading, '\u3011"'))
  compare_strata_line(where, block[length(block) - 1], design, strata)
  compare_group_lines(where, block[3:(length(block) - 2)], design, cut_off)
  if (method == "residual") {
    # 男 傾き=b 切片=a 平均エネルギー=x n=N, and the same for 女.
    method_line <- block[length(block)]
    for (s in 1:2) {
      pattern <- paste0(c(male, female)[s], " \u50be\u304d=([^ ]+) \u5207\u7247=([^ ]+) ",
                        "\u5e73\u5747\u30a8\u30cd\u30eb\u30ae\u30fc=([^ ]+) n=([0-9]+)")
      found <- regmatches(method_line, regexec(pattern, method_line))[[1]]
      if (length(found) != 5) stop(where, ": no fit of sex ", s, " in ", method_line)
      compare(paste(where, c(male, female)[s], "fit"), c("slope", "intercept", "mean energy", "n"),
              found[2:5], fits[[s]], 1)
    }
  }
}

# Ratios of totals: svyratio per group, with strata and clusters, over the
# rows that have both values; the ratio, its SE, the confidence interval on
# the design's degrees of freedom and the coefficient of variation.
ratio_names <- c("ratio", "SE", "CI lower", "CI upper", "CV")
check_ratio <- function(title, data, numerator, denominator, strata, units) {
  report <- count_figures(sprintf("%s, ratio %s/%s", title, numerator, denominator))
  on.exit(report())
  usable <- data[!is.na(data[[numerator]]) & !is.na(data[[denominator]]), ]
  usable$y <- usable[[numerator]]
  usable$x <- usable[[denominator]]
  design <- design_of(usable, strata, units)
  t <- qt(0.975, degf(design))
  lines <- run_tab(paths[[title]], NULL, 1, strata, units,
                   c("--ratio", paste0(numerator, "/", denominator)))
  block <- blocks_of(lines)[[1]]
  where <- paste(title, numerator, "/", denominator)
  compare_text(paste(where, "heading"), block[1],
               paste0('"\u3010', numerator, "/", denominator,
                      '\uff08\u6bd4\u306e\u63a8\u5b9a\uff09\u3011"'))
  compare_strata_line(where, block[length(block) - 1], design, strata)
  for (line in block[3:(length(block) - 2)]) {
    f <- fields_of(line)
    n <- as.integer(f[2])
    if (n < 2) next
    members <- group_members(f[1], usable[[h_sex]], usable[[h_age]])
    if (sum(members) != n) stop(sprintf("%s %s: %d members in R", where, f[1], sum(members)))
    r <- svyratio(~y, ~x, subset(design, members))
    ratio <- unname(coef(r))
    se <- unname(SE(r))[1]
    expected <- c(ratio, se, ratio - t * se, ratio + t * se, 100 * se / abs(ratio))
    compare(paste(where, f[1]), ratio_names, f[4:8], expected, ratio)
  }
}

for (method in c("residual", "density")) {
  check_energy("apistrat", as, "api00", "enroll", method, 700, strata = TRUE, units = FALSE)
  check_energy("apiclus2", ac, "acs.k3", "enroll", method, 20, strata = FALSE, units = TRUE)
  check_energy("apiclus2 (districts as strata)", acs, "api00", "enroll", method, 700,
               strata = TRUE, units = TRUE)
}
check_ratio("nhanes", nh, "HI_CHOL", "race", strata = TRUE, units = TRUE)
check_ratio("apistrat", as, "api.stu", "enroll", strata = TRUE, units = FALSE)
check_ratio("apiclus2", ac, "api.stu", "enroll", strata = FALSE, units = TRUE)
check_ratio("apiclus2 (districts as strata)", acs, "api.stu", "enroll", strata = TRUE,
            units = TRUE)

# Intake judged against person-level cut-offs, and the median's confidence
# interval. Reference values go by age in years, so the api data get an age:
# eight years per tenth of meals (8, 16, ..., 80), "sex" being whether the
# school met its target, grouped by the table1 scheme, whose bands then mix
# values (40～49 holds ages 40 and 48) as summaries do. Every cut-off below is
# worked out again here, person by person, from the same rules the table
# states: EAR by sex and tenth plus the mid-pregnancy addition; AI from the
# third tenth on (the first two are not judged); UL for sex 1 only; the DG
# "X未満" for sex 2 only. Enrolment stands for sodium in mg: its EAR is its
# own, its DG salt's, salt equivalent g = sodium mg * 2.54 / 1000.
reference_table <- file.path(work, "r_check_table.csv")
writeLines(c(
  "title,R check table",
  "name,score,api00", "name,class,acs.k3", "name,sodium,enroll", "name,salt,salt",
  "value,score,1,1,24,,EAR,600,pt,total,r", "value,score,1,25,48,,EAR,650,pt,total,r",
  "value,score,1,49,,,EAR,700,pt,total,r", "value,score,2,1,40,,EAR,620,pt,total,r",
  "value,score,2,41,,,EAR,680,pt,total,r",
  "value,score,2,,,pregnant_early,EAR,+10,pt,total,r",
  "value,score,2,,,pregnant_mid,EAR,+30.5,pt,total,r",
  "value,score,2,,,pregnant_late,EAR,+30.5,pt,total,r",
  "value,score,1,24,,,AI,640,pt,total,r", "value,score,2,24,,,AI,660,pt,total,r",
  "value,score,1,1,,,UL,800,pt,total,r",
  "value,score,2,1,,,DG_below,750,pt,total,r",
  "value,class,1,1,,,EAR,19,n,total,r", "value,class,2,1,,,EAR,20,n,total,r",
  "value,class,1,1,,,UL,21,n,total,r", "value,class,2,1,,,UL,22,n,total,r",
  "value,sodium,1,1,,,EAR,600,mg,total,r", "value,sodium,2,1,,,EAR,650,mg,total,r",
  "value,salt,1,1,,,DG_below,2.5,g,total,r", "value,salt,2,1,,,DG_below,3.0,g,total,r"),
  reference_table)

years_per_tenth <- 8

# Table1 scheme groups: label -> members, for ages in years.
table1_members <- function(label, sex, age) {
  who <- if (startsWith(label, both)) rep(TRUE, length(sex))
         else if (startsWith(label, male)) sex == 1
         else sex == 2
  rest <- sub(paste0("^(", both, "|", male, "|", female, ")"), "", label)
  rest <- sub("^\\(\u518d\u63b2\\)", "", rest)                       # (再掲)
  if (rest == "\u7dcf\u6570") return(who)                                  # 総数
  band <- regmatches(rest, regexec("^([0-9]+)[\u301c\uff5e]([0-9]+)$", rest))[[1]]  # a～b
  if (length(band) == 3) return(who & age >= as.numeric(band[2]) & age <= as.numeric(band[3]))
  open <- regmatches(rest, regexec("^([0-9]+)\u4ee5\u4e0a$", rest))[[1]]  # a以上
  if (length(open) == 2) return(who & age >= as.numeric(open[2]))
  stop("no age band in the group label ", label)
}

# `c` is the tenth of meals (1 to 10), the age divided by years_per_tenth. A
# pregnant woman is judged only for a figure the table gives pregnancy rows
# for (here the score's EAR); for the others she has no value.
cut_offs <- function(key, sex, c, preg) {
  pregnant <- sex == 2 & preg == 1
  unless_pregnant <- function(x) ifelse(pregnant, NA, x)
  if (key == "score") {
    ear <- ifelse(sex == 1, ifelse(c <= 3, 600, ifelse(c <= 6, 650, 700)),
                  ifelse(c <= 5, 620, 680)) + ifelse(pregnant, 30.5, 0)
    list(ear = ear, ai = unless_pregnant(ifelse(c >= 3, ifelse(sex == 1, 640, 660), NA)),
         ul = unless_pregnant(ifelse(sex == 1, 800, NA)),
         dg_below = unless_pregnant(ifelse(sex == 2, 750, NA)))
  } else if (key == "sodium") {
    list(ear = unless_pregnant(ifelse(sex == 1, 600, 650)), ai = rep(NA, length(sex)),
         ul = rep(NA, length(sex)), dg_below = unless_pregnant(ifelse(sex == 1, 2.5, 3.0)))
  } else {
    list(ear = unless_pregnant(ifelse(sex == 1, 19, 20)), ai = rep(NA, length(sex)),
         ul = unless_pregnant(ifelse(sex == 1, 21, 22)), dg_below = rep(NA, length(sex)))
  }
}

# The report's percentile rule at cumulative-weight target `target`.
rule_value <- function(y, w, target) {
  o <- order(y)
  y <- y[o]
  w <- w[o]
  after <- cumsum(w)
  m <- which(!(target > after))[1]
  if (is.na(m)) return(y[length(y)])
  if (m == 1) return(y[1])
  before <- after[m - 1]
  y[m - 1] + (target - before) / (after[m] - before) * (y[m] - y[m - 1])
}

judged_names <- c("median CI lower", "median CI upper",
                  "EAR persons", "EAR share", "EAR share SE", "AI persons", "AI share",
                  "AI share SE", "UL persons", "UL share", "UL share SE", "DG persons", "DG share",
                  "DG share SE")
# The figures each key's table gives (EAR, AI, UL, DG): the persons judged are
# counted for these, and for no other.
gives <- list(score = c(TRUE, TRUE, TRUE, TRUE), class = c(TRUE, FALSE, TRUE, FALSE),
              sodium = c(TRUE, FALSE, FALSE, TRUE))

check_judged <- function(title, data, variable, key, strata, units) {
  before <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed)
  on.exit({
    counts <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed) - before
    cat(sprintf("%s, %s judged and median CI: %d figures, %d agree, %d zero up to noise, %d differ\n",
                title, variable, counts[1], counts[2], counts[3], counts[4]))
  })
  usable <- data[!is.na(data[[variable]]), ]
  usable$y <- usable[[variable]]
  usable$stratum <- usable[[h_stratum]]
  usable$unit <- if (units) usable[[h_unit]] else seq_len(nrow(usable))
  usable$w <- usable[[h_weight]]
  cuts <- cut_offs(key, usable[[h_sex]], usable[[h_age]] / years_per_tenth, usable[[h_preg]])
  usable$below_ear <- as.numeric(usable$y < cuts$ear)
  usable$above_ai <- as.numeric(usable$y >= cuts$ai)
  usable$above_ul <- as.numeric(usable$y > cuts$ul)
  goal <- if (key == "sodium") usable$y * 2.54 / 1000 else usable$y
  usable$outside_dg <- as.numeric(goal >= cuts$dg_below)
  judged <- list(below_ear = !is.na(cuts$ear), above_ai = !is.na(cuts$ai),
                 above_ul = !is.na(cuts$ul), outside_dg = !is.na(cuts$dg_below))
  for (v in names(judged)) usable[[v]][is.na(usable[[v]])] <- 0
  design <- if (strata) {
    svydesign(ids = ~unit, strata = ~stratum, weights = ~w, nest = TRUE, data = usable)
  } else {
    svydesign(ids = ~unit, weights = ~w, data = usable)
  }
  t <- qt(0.975, degf(design))

  options <- c("--sex", "3", "--age", "4", "--pregnancy", "5", "--weight", "6",
               "--scheme", "table1", "--median-ci", "--reference", reference_table,
               "--pregnancy-stage", "mid", "--utf8")
  if (strata) options <- c(options, "--strata", "1")
  if (units) options <- c(options, "--unit", "2")
  lines <- system2(tab, c(options, paths[[title]], as.character(match(variable, names(data)))),
                   stdout = TRUE)
  if (!is.null(attr(lines, "status"))) stop("kelvara-tab failed on ", title)
  Encoding(lines) <- "UTF-8"
  for (line in lines[3:(length(lines) - 3)]) {
    f <- fields_of(line)
    n <- as.integer(f[2])
    if (n < 2) next
    members <- table1_members(f[1], usable[[h_sex]], usable[[h_age]])
    # Woodruff: the SE of the share at or below the median, p = 0.5 -/+ t SE,
    # both ends read back by the percentile rule.
    y <- usable$y[members]
    w <- usable$w[members]
    span <- sum(w) / length(y) + sum(w)
    median <- rule_value(y, w, span * 50 * 0.01)
    design$variables$at_or_below <- as.numeric(design$variables$y <= median)
    se <- SE(svymean(~at_or_below, subset(design, members)))
    p <- c(0.5 - t * se, 0.5 + t * se)
    ends <- sapply(p, function(q) if (q >= 0 && q <= 1) rule_value(y, w, span * q) else NA)
    r <- ends
    for (k in seq_along(judged)) {
      v <- names(judged)[k]
      domain <- members & judged[[v]]
      persons <- if (gives[[key]][k]) sum(domain) else NA
      # A share of fewer than two judged persons is left empty.
      if (is.na(persons) || persons < 2) {
        r <- c(r, persons, NA, NA)
        next
      }
      share <- svymean(as.formula(paste0("~", v)), subset(design, domain))
      r <- c(r, persons, 100 * coef(share), 100 * SE(share))
    }
    compare(paste(title, variable, f[1]), judged_names, f[18:31], unname(r), 50)
  }
}

# Pregnant: every seventh school of sex 2, for the addition.
as$preg_code <- ifelse(as[[h_sex]] == 2 & seq_len(nrow(as)) %% 7 == 0, 1, 0)
paths$apistrat_judged <- file.path(work, "apistrat_judged.csv")
in_years <- function(columns) {
  columns$c <- years_per_tenth * columns$c
  columns
}
asj <- write_survey(in_years(c(api_columns(apistrat, as.integer(apistrat$stype), NULL),
                               list(preg = as$preg_code))), paths$apistrat_judged)
paths$apiclus2_judged <- file.path(work, "apiclus2_judged.csv")
acj <- write_survey(in_years(c(api_columns(apiclus2, NULL, apiclus2$dnum),
                               list(preg = ifelse(ac[[h_sex]] == 2 & seq_len(nrow(ac)) %% 5 == 0,
                                                  1, 0)))),
                    paths$apiclus2_judged)
for (v in list(c("api00", "score"), c("acs.k3", "class"), c("enroll", "sodium"))) {
  check_judged("apistrat_judged", asj, v[1], v[2], strata = TRUE, units = FALSE)
  check_judged("apiclus2_judged", acj, v[1], v[2], strata = FALSE, units = TRUE)
}

# The usual-intake bootstrap: every standard error of the block from the
# replicates. A small survey of persons on one or two days, in strata of units
# (the last stratum a single unit, a certainty unit), runs with
# KELVARA_BOOTSTRAP_TRACE, which makes kelvara-tab write each replicate's draws
# and each person's usual intake as that replicate's refit gives it. From the
# draws R forms the Rao-Wu replicate weights itself (a unit drawn r times among
# the n_h - 1 draws of its stratum: r * n_h / (n_h - 1)) and estimates every
# figure of every replicate plainly, group by group: the mean, the share below
# the cut-off, each judged share over its domain, and the share at or below the
# full sample's median. Their standard deviations over the replicates are the
# standard errors, from which the confidence interval, the CV, the design
# effect and the median's Woodruff interval follow. A replicate that drew none
# of a group's units has no figure for it, and the method line counts them.
usual_names <- c("mean", "SD", "SE", "CI lower", "CI upper", "CV", "deff", "share", "share SE",
                 "median CI lower", "median CI upper", "EAR persons", "EAR share", "EAR share SE",
                 "AI persons", "AI share", "AI share SE", "UL persons", "UL share", "UL share SE",
                 "DG persons", "DG share", "DG share SE", "replicates left out")
check_usual_bootstrap <- function() {
  before <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed)
  on.exit({
    counts <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed) - before
    cat(sprintf("usual intake, bootstrap: %d figures, %d agree, %d zero up to noise, %d differ\n",
                counts[1], counts[2], counts[3], counts[4]))
  })
  set.seed(20261208)
  units_per_stratum <- c(4, 3, 5, 1)
  stratum_of_unit <- rep(seq_along(units_per_stratum), units_per_stratum)
  unit_in_stratum <- sequence(units_per_stratum)
  n <- 170
  unit <- sample(rep_len(seq_along(stratum_of_unit), n))
  persons <- data.frame(person = seq_len(n) + 1000, stratum = stratum_of_unit[unit],
                        unit = unit_in_stratum[unit], sex = sample(1:2, n, replace = TRUE),
                        age = sample(18:79, n, replace = TRUE))
  persons$preg <- ifelse(persons$sex == 2 & persons$age <= 40 & runif(n) < 0.2, 1, 0)
  persons$weight <- round(runif(n, 0.5, 3), 2)
  level <- log(660) + 0.12 * rnorm(n)
  second <- runif(n) < 0.45
  day <- function(who) round(exp(level[who] + 0.15 * rnorm(length(who))), 1)
  # Second days after every first day, as in a file of two survey days.
  rows <- rbind(cbind(persons, api00 = day(seq_len(n))),
                cbind(persons[second, ], api00 = day(which(second))))
  path <- file.path(work, "usual_days.csv")
  write.csv(rows, path, row.names = FALSE, fileEncoding = "CP932")
  trace <- file.path(work, "usual_trace.csv")
  replicates <- 40
  options <- c("--person", "1", "--strata", "2", "--unit", "3", "--sex", "4", "--age", "5",
               "--pregnancy", "6", "--weight", "7", "--scheme", "table1", "--usual",
               "--bootstrap", replicates, "--ci", "--cv", "--deff", "--below", "650",
               "--median-ci", "--reference", reference_table, "--pregnancy-stage", "mid",
               "--utf8")
  lines <- system2(tab, c(options, path, "8"), stdout = TRUE,
                   env = paste0("KELVARA_BOOTSTRAP_TRACE=", trace))
  if (!is.null(attr(lines, "status"))) stop("kelvara-tab failed on ", path)
  Encoding(lines) <- "UTF-8"
  first <- grep("\uff08\u7fd2\u6163\u7684\u6442\u53d6\u91cf\uff09", lines)[1]  # （習慣的摂取量）
  block <- lines[(first + 2):length(lines)]
  block <- block[startsWith(block, "\"") & !startsWith(block, "\"\u5c64")]  # group lines
  block <- block[grepl("^\"[^\"]*\",[0-9]", block)]
  method <- lines[grep("\u7fd2\u6163\u7684\u6442\u53d6\u91cf\u306e\u63a8\u5b9a", lines)]

  t <- read.csv(trace, header = FALSE, colClasses = "character", col.names = paste0("f", 1:5),
                fill = TRUE)
  draws <- t[t$f1 == "draw", ]
  usual <- t[t$f1 == "usual", ]
  fitted <- sort(unique(as.integer(usual$f3)))
  stopifnot(identical(fitted, 0:replicates))
  u <- matrix(NA_real_, n, replicates + 1)  # person by replicate, replicate 0 first
  u[cbind(as.integer(usual$f4) + 1, as.integer(usual$f3) + 1)] <- as.numeric(usual$f5)

  # The replicate weights from the draws alone.
  key <- paste(persons$stratum, persons$unit)
  units_of <- tapply(key, persons$stratum, function(k) length(unique(k)))
  n_h <- units_of[as.character(persons$stratum)]
  w <- matrix(persons$weight, n, replicates + 1)
  for (b in seq_len(replicates)) {
    drawn <- key[as.integer(draws$f4[draws$f3 == as.character(b)]) + 1]
    per_stratum <- table(factor(sub(" .*", "", drawn), levels = names(units_of)))
    if (!all(per_stratum == pmax(units_of - 1, 0))) stop("replicate ", b, ": not n_h - 1 draws")
    r <- table(factor(drawn, levels = unique(key)))[key]
    w[, b + 1] <- persons$weight * ifelse(n_h == 1, 1, r * n_h / (n_h - 1))
  }

  cuts <- cut_offs("score", persons$sex, persons$age / years_per_tenth, persons$preg)
  judged_by <- list(function(x) x < cuts$ear, function(x) x >= cuts$ai,
                    function(x) x > cuts$ul, function(x) x >= cuts$dg_below)
  has_value <- list(!is.na(cuts$ear), !is.na(cuts$ai), !is.na(cuts$ul), !is.na(cuts$dg_below))
  share <- function(indicator, ww, who) {
    if (!any(who & ww > 0)) return(NA)
    sum((ww * indicator)[who]) / sum(ww[who])
  }
  t975 <- qt(0.975, length(unique(key)) - length(units_of))
  left_out <- 0
  for (line in block) {
    f <- fields_of(line)
    count <- as.integer(f[2])
    if (count < 2) next
    members <- table1_members(f[1], persons$sex, persons$age)
    if (sum(members) != count) stop(sprintf("usual %s: %d members in R", f[1], sum(members)))
    x <- u[, 1]
    wf <- w[, 1]
    mean <- sum((wf * x)[members]) / sum(wf[members])
    sd <- sqrt(sum((wf * (x - mean)^2)[members]) / ((count - 1) * sum(wf[members]) / count))
    span <- sum(wf[members]) / count + sum(wf[members])
    median <- rule_value(x[members], wf[members], span * 0.5)
    figures <- function(b) {
      x <- u[, b + 1]
      ww <- w[, b + 1]
      c(share(x, ww, members), share(x < 650, ww, members), share(x <= median, ww, members),
        sapply(1:4, function(j) share(judged_by[[j]](x), ww, members & has_value[[j]])))
    }
    full <- figures(0)
    replicated <- sapply(seq_len(replicates), figures)
    drew <- !is.na(replicated[1, ])
    left_out <- left_out + sum(!drew)
    se <- apply(replicated[, drew, drop = FALSE], 1, sd, na.rm = TRUE)
    p <- 0.5 + c(-1, 1) * t975 * se[3]
    ends <- sapply(p, function(q) if (q >= 0 && q <= 1) rule_value(x[members], wf[members], span * q) else NA)
    # Per figure the persons judged, then the share and its SE (empty for
    # fewer than two judged).
    judged_persons <- sapply(has_value, function(has) sum(members & has))
    judged <- as.vector(rbind(judged_persons, ifelse(judged_persons < 2, NA, 100 * full[4:7]),
                              ifelse(judged_persons < 2, NA, 100 * se[4:7])))
    r <- c(mean, sd, se[1], mean - t975 * se[1], mean + t975 * se[1], 100 * se[1] / abs(mean),
           se[1]^2 * count / sd^2, 100 * full[2], 100 * se[2], ends, judged)
    compare(paste("usual", f[1]), usual_names[1:23], c(f[4:6], f[18:37]), r, mean)
  }
  printed <- sub(".*\u5ef6\u3079([0-9]+)\u56de.*", "\\1", method)  # 延べN回
  compare("usual", usual_names[24], printed, left_out, 0)
}
check_usual_bootstrap()
# The energy ratios of --energy-balance, worked out here from the columns
# (protein and carbohydrate 4 kcal/g, fat 9 kcal/g, carbohydrate the rest of
# 100), on a synthetic survey of 4 strata of 6 units: each computed block's
# mean and standard error against svymean, and the share outside the goal
# (DG) against svymean of I(ratio < lo | ratio > hi) over the adults it
# judges (pregnant women have no goal in the table), with a small table of
# the adult goals of the Dietary Reference Intakes
# (tests/cli/data/energy_ratios_small.csv). A missing energy or fat, and an
# energy of 0, leave the ratios that use them missing.
script_file <- sub("^--file=", "", grep("^--file=", commandArgs(FALSE), value = TRUE))
energy_table <- file.path(dirname(normalizePath(script_file)), "..", "tests", "cli", "data",
                          "energy_ratios_small.csv")
set.seed(24)
n_energy <- 480
en_sex <- rep(1:2, length.out = n_energy)
en_age <- sample(1:90, n_energy, replace = TRUE)
en_energy <- round(rnorm(n_energy, 1900, 400), 1)
en_protein <- round(en_energy * runif(n_energy, 0.10, 0.23) / 4, 1)
en_fat <- round(en_energy * runif(n_energy, 0.15, 0.38) / 9, 1)
en_saturated <- round(en_fat * runif(n_energy, 0.2, 0.4), 2)
en_energy[c(5, 77)] <- NA
en_energy[101] <- 0
en_fat[150] <- NA
energy_columns <- data.frame(check.names = FALSE,
  "\u30a8\u30cd\u30eb\u30ae\u30fc(kcal)" = en_energy,       # エネルギー(kcal)
  "\u305f\u3093\u3071\u304f\u8cea(g)" = en_protein,          # たんぱく質(g)
  "\u8102\u8cea(g)" = en_fat,                                   # 脂質(g)
  "\u98fd\u548c\u8102\u80aa\u9178(g)" = en_saturated)        # 飽和脂肪酸(g)
paths$energy <- file.path(work, "energy.csv")
en <- write_survey(list(stratum = rep(1:4, each = n_energy / 4), unit = rep(1:6, length.out = n_energy),
                        sex = en_sex, c = en_age,
                        preg = ifelse(en_sex == 2 & en_age >= 20 & en_age <= 40 &
                                        seq_len(n_energy) %% 9 == 0, 1, 0),
                        weight = round(runif(n_energy, 0.5, 3), 3),
                        variables = energy_columns), paths$energy)
# Each ratio's block against R: the mean and SE of every group, and the share
# outside the goal over the persons `judged_in` says the table judges; with
# `adult_bands_only`, only the age bands from 18 on (the goals below are the
# adults').
check_energy_ratios <- function(title, data, path, table, judged_in, adult_bands_only) {
  energy_lines <- system2(tab, c("--sex", "3", "--age", "4", "--pregnancy", "5", "--weight", "6",
                                 "--strata", "1", "--unit", "2", "--scheme", "table1",
                                 "--energy-balance", "--reference", table, "--utf8", path),
                          stdout = TRUE)
  if (!is.null(attr(energy_lines, "status"))) stop("kelvara-tab failed on ", path)
  Encoding(energy_lines) <- "UTF-8"
  ratio_names <- c("mean", "SE", "DG share", "DG share SE")
  e_kcal <- data[[7]]
  protein_share <- data[[8]] * 4 / e_kcal * 100
  fat_share <- data[[9]] * 9 / e_kcal * 100
  ratios <- list(
    list(name = "\u305f\u3093\u3071\u304f\u8cea\u30a8\u30cd\u30eb\u30ae\u30fc\u6bd4\u7387",  # たんぱく質エネルギー比率
         y = protein_share,
         lo = function(age) ifelse(age >= 65, 15, ifelse(age >= 50, 14, 13)), hi = function(age) 20),
    list(name = "\u8102\u80aa\u30a8\u30cd\u30eb\u30ae\u30fc\u6bd4\u7387",                      # 脂肪エネルギー比率
         y = fat_share, lo = function(age) 20, hi = function(age) 30),
    list(name = "\u98fd\u548c\u8102\u80aa\u9178\u30a8\u30cd\u30eb\u30ae\u30fc\u6bd4\u7387",  # 飽和脂肪酸エネルギー比率
         y = data[[10]] * 9 / e_kcal * 100, lo = function(age) -Inf, hi = function(age) 7),
    list(name = "\u70ad\u6c34\u5316\u7269\u30a8\u30cd\u30eb\u30ae\u30fc\u6bd4\u7387",        # 炭水化物エネルギー比率
         y = 100 - protein_share - fat_share, lo = function(age) 50, hi = function(age) 65))
  for (ratio in ratios) {
    before <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed)
    usable <- data
    usable$y <- ratio$y
    usable <- usable[is.finite(usable$y), ]
    usable$stratum <- usable[[h_stratum]]
    usable$unit <- usable[[h_unit]]
    usable$w <- usable[[h_weight]]
    age <- usable[[h_age]]
    judged <- judged_in(age, usable[[h_preg]])
    usable$outside <- as.numeric(usable$y < ratio$lo(age) | usable$y > ratio$hi(age))
    design <- svydesign(ids = ~unit, strata = ~stratum, weights = ~w, nest = TRUE, data = usable)
    start <- match(paste0("\"\u3010", ratio$name, "\u3011\""), energy_lines)   # "【name】"
    if (is.na(start)) stop("kelvara-tab wrote no block ", ratio$name)
    titles <- gsub('"', "", fields_of(energy_lines[start + 1]))
    at <- match(c("\u5e73\u5747", "\u6a19\u6e96\u8aa4\u5dee",                          # 平均, 標準誤差
                  "DG\u5916\u306e\u5272\u5408(%)", "DG\u5916\u306e\u5272\u5408\u306e\u6a19\u6e96\u8aa4\u5dee"),
                titles)
    for (line in energy_lines[(start + 2):length(energy_lines)]) {
      if (!startsWith(line, '"') || grepl("^\"\u5c64", line)) break                        # the strata line
      f <- fields_of(line)
      n <- as.integer(f[2])
      if (n < 2) next
      if (adult_bands_only) {
        from <- suppressWarnings(as.numeric(sub("^[^0-9]*([0-9]+).*$", "\\1", f[1])))
        if (grepl("\u7dcf\u6570", f[1]) || is.na(from) || from < 18) next                 # 総数
      }
      members <- table1_members(f[1], usable[[h_sex]], age)
      if (sum(members) != n) stop(sprintf("%s %s: %d members in R", ratio$name, f[1], sum(members)))
      m <- svymean(~y, subset(design, members))
      r <- c(coef(m), SE(m), NA, NA)
      if (any(members & judged)) {
        share <- svymean(~outside, subset(design, members & judged))
        r[3:4] <- c(100 * coef(share), 100 * SE(share))
      }
      compare(paste("energy", ratio$name, f[1]), ratio_names, f[at], unname(r), as.numeric(f[at[1]]))
    }
    counts <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed) - before
    cat(sprintf("energy survey, %s, %s: %d figures, %d agree, %d zero up to noise, %d differ\n",
                title, ratio$name, counts[1], counts[2], counts[3], counts[4]))
  }
}
check_energy_ratios("test table", en, paths$energy, energy_table,
                    function(age, preg) age >= 18 & preg == 0, FALSE)
# The same survey without pregnant women against the shipped 2025 table: its
# goals for the adult bands are the ones above.
en_not_pregnant <- en
en_not_pregnant[[h_preg]] <- 0
paths$energy_shipped <- file.path(work, "energy_not_pregnant.csv")
write.csv(en_not_pregnant, paths$energy_shipped, row.names = FALSE, na = "", fileEncoding = "CP932")
check_energy_ratios("dri2025", en_not_pregnant, paths$energy_shipped, "dri2025",
                    function(age, preg) age >= 18, TRUE)

cat(sprintf(paste("%d figures compared: %d agree to the printed digits,",
                  "%d are zero on both sides up to rounding noise, %d differ\n"),
            totals$compared, totals$agreed, totals$as_zero, totals$failed))
quit(status = if (totals$failed == 0) 0 else 1)
