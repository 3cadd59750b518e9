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
# percentile rule. Exit status 0 when every figure agrees.

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

run_tab <- function(path, variable_column, cut_off, strata, units) {
  options <- c("--sex", "3", "--age", "4", "--pregnancy", "5", "--weight", "6",
               "--scheme", "category", "--ci", "--cv", "--deff",
               "--below", format(cut_off, scientific = FALSE), "--utf8")
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

# One analysis variable of one data set: kelvara-tab against R, group by group.
check_variable <- function(title, data, variable, cut_off, strata, units, show = FALSE) {
  before <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed)
  on.exit({
    counts <- c(totals$compared, totals$agreed, totals$as_zero, totals$failed) - before
    cat(sprintf("%s, %s below %g: %d figures, %d agree, %d zero up to noise, %d differ\n",
                title, variable, cut_off, counts[1], counts[2], counts[3], counts[4]))
  })
  usable <- data[!is.na(data[[variable]]), ]
  usable$y <- usable[[variable]]
  usable$below <- as.numeric(usable$y < cut_off)
  usable$stratum <- usable[[h_stratum]]
  usable$unit <- if (units) usable[[h_unit]] else seq_len(nrow(usable))
  usable$w <- usable[[h_weight]]
  design <- if (strata) {
    svydesign(ids = ~unit, strata = ~stratum, weights = ~w, nest = TRUE, data = usable)
  } else {
    svydesign(ids = ~unit, weights = ~w, data = usable)
  }
  df <- degf(design)

  lines <- run_tab(paths[[title]], match(variable, names(data)), cut_off, strata, units)
  group_lines <- lines[3:(length(lines) - 2)]
  strata_line <- gsub('"', "", lines[length(lines) - 1])
  expected_strata <- if (strata) {
    psus <- unique(usable[, c("stratum", "unit")])
    singles <- sum(table(psus$stratum) == 1)
    paste0("\u5c64\u306e\u6570\uff1a", length(unique(usable$stratum)),
           "\u3001\u62bd\u51fa\u5358\u4f4d\u306e\u6570\uff1a", nrow(psus),
           "\u3001\u81ea\u7531\u5ea6\uff1a", df,
           if (singles > 0) paste0("\u30011\u5358\u4f4d\u306e\u5c64\uff1a", singles) else "")
  } else {
    paste0("\u5c64\u306e\u6570\uff1a", length(unique(usable$unit)))
  }
  totals$compared <- totals$compared + 1
  if (identical(strata_line, expected_strata)) {
    totals$agreed <- totals$agreed + 1
  } else {
    totals$failed <- totals$failed + 1
    cat(sprintf("  DIFFERS %s %s strata line: kelvara %s, R %s\n", title, variable,
                strata_line, expected_strata))
  }

  if (show) cat(sprintf("\n%s, %s (cut-off %g), kelvara-tab and R:\n", title, variable, cut_off))
  for (line in group_lines) {
    f <- fields_of(line)
    n <- as.integer(f[2])
    if (n < 2) next
    members <- group_members(f[1], usable[[h_sex]], usable[[h_age]])
    if (sum(members) != n) {
      stop(sprintf("%s %s %s: %d members in R", title, variable, f[1], sum(members)))
    }
    group <- subset(design, members)
    m <- svymean(~y, group, deff = "replace")
    ci <- confint(m, df = df)
    share <- svymean(~below, group)
    r <- c(coef(m), SE(m), ci[1], ci[2], 100 * SE(m) / abs(coef(m)), deff(m),
           100 * coef(share), 100 * SE(share))
    r <- unname(r)
    kelvara <- c(f[4], f[6], f[18:23])
    compare(paste(title, variable, f[1]), figure_names, kelvara, r, as.numeric(f[4]))
    if (show) {
      cat(line, "\n")
      cat(sprintf("R: %s,%d,%s,%s,%s,%s,%s,%s,%s,%s\n", f[1], n, fmt(r[1]), fmt(r[2]), fmt(r[3]),
                  fmt(r[4]), fmt(r[5]), fmt(r[6]), fmt(r[7]), fmt(r[8])))
    }
  }
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
       variables = d[, c("api00", "enroll", "acs.k3")])
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

cat(sprintf(paste("%d figures compared: %d agree to the printed digits,",
                  "%d are zero on both sides up to rounding noise, %d differ\n"),
            totals$compared, totals$agreed, totals$as_zero, totals$failed))
quit(status = if (totals$failed == 0) 0 else 1)
