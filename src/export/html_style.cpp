#include "export/html_style.h"

namespace korvelin {

std::string_view pageStyle() {
  // The bands' colours are not here: every band carries its own paint (see
  // gel_drawing).
  static constexpr std::string_view kStyle = R"(<style>
:root{--ink:#1d1d1f;--muted:#5d6066;--rule:#d9d6cf;--paper:#ffffff;--bed:#f4f1ea}
*{box-sizing:border-box}
html{-webkit-print-color-adjust:exact;print-color-adjust:exact}
body{margin:0 auto;max-width:1220px;padding:24px 28px 48px;color:var(--ink);background:var(--paper);
 font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
h1{font-size:1.6em;margin:0 0 .2em}h2{font-size:1.25em;margin:1.6em 0 .5em;padding-bottom:.2em;border-bottom:2px solid var(--rule)}
header dl{display:grid;grid-template-columns:max-content 1fr;gap:.15em 1.2em;margin:.6em 0 0}
header dt{color:var(--muted)}header dd{margin:0}
.note{color:var(--muted);font-size:.92em;max-width:75ch}
.warn{border-left:4px solid #D55E00;padding:.3em .8em;background:#fff6ef}
table.summary{border-collapse:collapse;font-size:.93em;margin:.4em 0}
table.summary th,table.summary td{border:1px solid var(--rule);padding:.3em .7em;text-align:left;vertical-align:top}
table.summary th{background:#f3f2ef;font-weight:600}table.summary td.num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
table.summary td.num .populations{display:block;white-space:normal;text-align:left;font-size:.9em;min-width:13em;color:var(--muted)}
.gel-row{display:flex;flex-wrap:wrap;align-items:flex-start;gap:18px 28px;margin:.6em 0}
figure{margin:0;max-width:100%;min-width:0}
.scroll{overflow-x:auto;max-width:100%}
svg.gel{display:block;max-width:100%;height:auto;font-family:inherit}
svg .gel-bed{fill:var(--bed);stroke:#cfc9bd;stroke-width:1}
svg .lane-bg{fill:#fbfaf7;stroke:#ddd6c8;stroke-width:.8}
svg .lane.missing .lane-bg{fill:#ffffff;stroke:#7a7a7a;stroke-width:1.2;stroke-dasharray:5 3}
svg .lane.missing .band{fill-opacity:.45;stroke-dasharray:3 2}
svg .split-row{fill:#E69F00;fill-opacity:.16;stroke:#b07800;stroke-width:1.2}
svg text{fill:var(--ink);font-size:12px}
svg .ezone{font-size:12px}svg .row-label.empty .ezone{fill:#9a9a9a;font-style:italic}
svg .origin{font-size:12px;font-family:ui-monospace,"DejaVu Sans Mono",Menlo,Consolas,monospace}
svg .pole,svg .caption{font-size:11px;fill:var(--muted)}svg .caption.ghost{font-style:italic}
svg .lane-head{font-size:12px;font-weight:600}svg .lane-sub{font-size:10.5px;fill:var(--muted)}
svg .lane.missing .lane-head,svg .lane.missing .lane-sub{fill:#7a7a7a;font-style:italic}
svg .genotype{font-size:11px;font-family:ui-monospace,"DejaVu Sans Mono",Menlo,Consolas,monospace}
svg .lane.missing .genotype{fill:#6a6a6a;font-style:italic}
svg .locus-label{font-size:11px;font-weight:600}
svg .ghost-divider{stroke:#9a9a9a;stroke-width:1;stroke-dasharray:2 3}
.legend{font-size:.9em;flex:1 1 16em;min-width:16em;max-width:30em}
.legend h3{font-size:1em;margin:.2em 0 .4em}
.legend ul{list-style:none;margin:0;padding:0}
.legend li{display:flex;align-items:center;gap:.6em;margin:.25em 0}
.legend code{min-width:4.2em;font-weight:600}
.legend svg{flex:none}
ol.individuals{font-size:.88em;color:var(--muted);columns:3 20em;column-gap:3.2em;margin:.5em 0;padding-left:2.2em}
ol.individuals li{break-inside:avoid;margin-bottom:.25em}
ol.individuals span{white-space:nowrap}
figure.fit{margin:.8em 0 .4em}
figure.fit figcaption{font-size:.85em;color:var(--muted);max-width:95ch;margin-bottom:.2em}
.g-key{color:#D55E00}
svg .bar.observed{fill:#3d3d45}
svg .bar.expected{fill:#ffffff;fill-opacity:.7;stroke:#D55E00;stroke-width:1.5}
svg .chart-lane.missing .bar.expected{stroke-dasharray:3 2}
svg .g-mark{fill:#D55E00}
svg .axis{font-size:9.5px;fill:var(--muted)}
svg .chart-base{stroke:#9a9a9a;stroke-width:1}
dl.facts{display:grid;grid-template-columns:max-content 1fr;gap:.15em 1em;margin:.4em 0}
dl.facts dt{color:var(--muted)}dl.facts dd{margin:0}
.badge{display:inline-block;font-size:.75em;font-weight:600;padding:.1em .55em;border-radius:1em;vertical-align:middle;margin-left:.5em}
.badge.closed{background:#d7eee5;color:#00553e}.badge.open{background:#fbe3d3;color:#8a3700}
footer{margin-top:3em;color:var(--muted);font-size:.85em;border-top:1px solid var(--rule);padding-top:.5em}
@page{size:A4;margin:14mm 12mm}
/* Print: headings stay with what they head, drawings and tables are not
   cut where they fit on a page, a hypothesis starts on a new page when it
   would otherwise be split, and drawings shrink to the page (no scrolling
   on paper). */
@media print{
 body{max-width:none;padding:0;font-size:9.5pt}
 h2{margin-top:.8em}
 h2,h3,p.fit-note,p.note,figcaption,header dl{break-after:avoid}
 section.hypothesis,section#summary{break-inside:avoid-page;break-before:auto}
 p{orphans:3;widows:3}
 section.hypothesis+section.hypothesis{padding-top:.2em}
 figure,.gel-row,.legend,table.summary,dl.facts,tr{break-inside:avoid}
 .gel-row{display:block}
 .legend{max-width:none;font-size:.85em;margin-top:.4em}
 .legend ul{columns:2;column-gap:2em}
 .legend li{break-inside:avoid;margin:.1em 0}
 .scroll{overflow:visible}
 svg.gel{max-width:100%;min-width:0 !important}
 table.summary{font-size:8pt;width:100%}
 table.summary th,table.summary td{padding:.2em .35em}
 a{color:inherit;text-decoration:none}
 ol.individuals{columns:2}
}
</style>
)";
  return kStyle;
}

}  // namespace korvelin
