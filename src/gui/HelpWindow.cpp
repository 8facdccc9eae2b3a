#include "gui/HelpWindow.h"

#include <QDialogButtonBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace skyloom::gui {

QString HelpWindow::guideHtml() {
    return QStringLiteral(R"(<h1>Skyloom user guide</h1>
<p>Skyloom judges places for wind generators from the records of radiosonde stations: weather balloons
released once or twice a day that measure wind speed, wind direction, temperature and pressure on their way
up. The program keeps, for every station whose data is on this computer, the soundings at eleven heights from
the ground to 5000 feet, and turns them into wind statistics, generator output, an energy balance and money.</p>

<h2>The two pages of the Main Page</h2>
<p><b>Analysis page.</b> The world map shows the stations with data on this computer as black dots. The red dot is
the station whose data is displayed, the cyan dot the reference site, the white dot the station closest to the
pointer. To the right are the height graphs; below the map the site drop-down, the date pickers and the summary of
the analysis; at the bottom the study list.</p>
<p><b>Order Data page.</b> The map shows every radiosonde station of the world. The white circle follows the pointer
and lists the stations inside it; the order list collects the stations whose data you want to request. The button
at the top left switches between the pages ("Order Data" / "See Analysis"); the page you used last is shown at the
next start.</p>

<h2>Getting soundings onto this computer</h2>
<p>Data files bought from the data supplier are installed with <i>Tools - Download Purchased Data to this
Computer</i>. Raw radiosonde text files (FSL/NCDC text, IGRA version 2 or University of Wyoming listings; the file
name begins with the WMO number and a blank) are imported in the program itself: right-click a station in the
near list or the data-sites list and choose "Import the Text Data Files of this site", which reads the files of the
folder "Text Data Files"; <i>Tools - Import Control</i> shows the frame with the review criteria, where each
doubtful sounding is shown on Graph 2 for you to accept or reject. The same import runs from the command-line tool
(<tt>skyloom-cli import</tt>). The import checks every sounding, builds the eleven height levels and files them in
the station data file; the station then appears as a black dot on the Analysis page and in the drop-down list.</p>

<h2>Picking a site</h2>
<ul>
<li>Choose the station in the drop-down list above the date pickers, or click a line of the data-sites list.</li>
<li>Point at a dot on the map: the white dot jumps to the nearest station and a tip names it. A <b>left click</b>
shows the data of that station and makes it the reference site; a <b>right click</b> shows its data compared with
the current reference site.</li>
<li>Press and drag on the map away from a station to size the white circle; on release it freezes and lists all
stations inside it. A right click on the map unfreezes it. "Find the 15 nearest radiosondes to a known lat,lon"
asks for a latitude and a longitude and lists the fifteen closest stations.</li>
<li>Lines of the near list and the order list can be dragged to the other list, to the site field or to the
latitude and longitude fields; pressing a line also puts a description of the station on the clipboard.</li>
</ul>
<p>The program analyses the period you used last for the station (the whole file the first time). To choose
another period set the <b>From</b> and <b>To</b> dates and click "Click here to Recalculate the Analysis.". While
the data is read a wait label shows what happens; <b>Esc</b> stops the work.</p>

<h2>Keys of the sounding viewer</h2>
<p>These keys work on the Main Page, on the Power Page and in this help window:</p>
<table border="1" cellspacing="0" cellpadding="3">
<tr><td><b>Right</b> / <b>Left</b></td><td>show the next / previous sounding on Graph 2</td></tr>
<tr><td><b>Ctrl+Right</b> / <b>Ctrl+Left</b></td><td>jump to the next / previous gap of 48 hours or more</td></tr>
<tr><td><b>F3</b> / <b>Shift+F3</b>, or <b>Ctrl+Alt+Right</b> / <b>Ctrl+Alt+Left</b></td><td>find the next /
previous suspect sounding (many Linux desktops take Ctrl+Alt+arrows for switching workspaces: F3 always
works)</td></tr>
<tr><td><b>Ctrl+I</b></td><td>ignore the sounding shown (after "Actvate the 'Ctrl i' key" in the settings)</td></tr>
<tr><td><b>Up</b> / <b>Down</b></td><td>slower / faster animation frames</td></tr>
<tr><td><b>Esc</b></td><td>stop the animation</td></tr>
<tr><td><b>Ctrl+A</b> / <b>Ctrl+Z</b></td><td>wider / narrower bars in the Power Page energy graphs</td></tr>
<tr><td><b>Ctrl+P</b></td><td>Power Page energy graphs: MWh totals or kW rates</td></tr>
<tr><td><b>Ctrl+D</b></td><td>(Main Page) re-create the index of the data files</td></tr>
<tr><td><b>F1</b></td><td>open this guide</td></tr>
</table>

<h2>Reading the graphs</h2>
<p><b>Graph 1</b> shows the wind against the height above ground. The dark blue line is the average (or the
middle, "mean") wind speed at each height, as chosen in the settings. The light bands at each height show how
often each speed was measured there: the wider the band at a speed, the more often that speed blew. The
power-factor curve shows the power available at each height with respect to the power available at 250 feet (75
metres in metric units). The horizontal line marks the height of interest, the hub height of the generator; its
labels give the wind speed there.</p>
<p><b>Graph 2</b> shows one sounding: its wind speed, its temperature or its pressure. Click the graph to cycle
through the three. The heavy black line is the standard atmosphere, shown as a reference. The compass beside it
shows the wind direction of the sounding.</p>
<p>The <b>year graph</b> shows each calendar year's output at the hub height against the average of the years.
Red circles are years short of data.</p>

<h2>The Power Page</h2>
<p>The Power Page applies a wind generator at the height of interest: choose the generator from the table of power
curves, set the local demand, the storage batteries and the grid prices. The program computes the power the
generator would have produced, an hour-by-hour energy balance with storage and the grid, and the money that
results. Every finished computation is stored as an analysis.</p>

<h2>Studies</h2>
<p>A study is a named set of analyses. Show the study list with "Show Study List". "Begin New Study" starts an
empty study; analyses are added from the Power Page. Click the study name to rename it; "Save Study As" makes a
copy under a new name; "Delete Study" removes it (the analyses stay). The arrow button opens the list of studies.
Click a row of the grid to recall that analysis; click a column heading to sort (again to reverse). Type
<b>x</b> in the column "Row Delete if X'd" to take an analysis out of the study (or, in the list of all analyses, to
delete it); "Remove Deleted" clears such rows from the grid. "Export to Excel File" writes the study as a CSV
file.</p>

<h2>Ordering data</h2>
<p>On the Order Data page gather the stations you want: size the white circle over the area, highlight sites in
the list and use "Transfer selected sites Order List", or drag lines onto the order list. The ordered stations are
drawn as red circles. "Request a Quote by e-mail" opens the years window, where you choose the years of data for
each station, and writes the request for quotation.</p>

<h2>Settings</h2>
<p><i>Tools - Settings</i> chooses the units (miles per hour, knots or metric), the line of Graph 1, the battery
state of charge at the start of a period, the cost of storage capacity, the size of the data-site dots and the
shade of the distribution bands. Click a value field to type a new value.</p>

<h2>Printing and pictures</h2>
<p>The Print menu prints either page in landscape or portrait, copies a bitmap of it to the clipboard or saves it as
a bitmap file.</p>
<p>Press <b>F1</b> at any time to open this guide.</p>)");
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("HelpForm");
    setWindowTitle(QStringLiteral("Skyloom Help"));
    auto* layout = new QVBoxLayout(this);
    browser_ = new QTextBrowser(this);
    browser_->setHtml(guideHtml());
    layout->addWidget(browser_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* print = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::ActionRole);
    connect(print, &QPushButton::clicked, this, &HelpWindow::printGuide);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    layout->addWidget(buttons);
    resize(760, 640);
}

void HelpWindow::printGuide() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    browser_->document()->print(&printer);
}

}  // namespace skyloom::gui
