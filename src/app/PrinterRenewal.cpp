#include "app/PrinterRenewal.h"

#include <QPrinter>

std::unique_ptr<QPrinter> renewedPrinter(const QPrinter& stuck) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(stuck.outputFormat());
    if (stuck.outputFormat() == QPrinter::NativeFormat && !stuck.printerName().isEmpty())
        printer->setPrinterName(stuck.printerName());
    printer->setOutputFileName(stuck.outputFileName());
    printer->setPageLayout(stuck.pageLayout());
    printer->setCopyCount(stuck.copyCount());
    printer->setCollateCopies(stuck.collateCopies());
    printer->setColorMode(stuck.colorMode());
    printer->setDuplex(stuck.duplex());
    printer->setFullPage(stuck.fullPage());
    printer->setPageOrder(stuck.pageOrder());
    printer->setDocName(stuck.docName());
    return printer;
}
