#include "session/interrupts.h"

#include <cstdio>

#include "engine/machine.h"

namespace {

std::string Hex4(uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "$%04X", value);
    return text;
}

} // namespace

std::vector<TInterruptRow> InterruptRows(const TMachine& machine, const TExecutionWatch* watch) {
    const Tsimulator& cpu = machine.Cpu;
    const uint8_t tcsr = machine.Timer.St.TCSR, trcsr = machine.Sci.St.TRCSR;
    struct TSourceFacts {
        TWatchSource Source;
        std::optional<InterruptSource> Request;
        std::optional<bool> Enabled;
        bool Flag;
    };
    const bool nmi = cpu.Pending.test(InterruptSource::NMI), irq = cpu.Pending.test(InterruptSource::IRQ);
    const TSourceFacts facts[kWatchSources] = {
        {TWatchSource::Nmi, InterruptSource::NMI, std::nullopt, nmi},
        {TWatchSource::Irq, InterruptSource::IRQ, std::nullopt, irq},
        {TWatchSource::Sci, InterruptSource::SCI, (trcsr & (TSci::TRCSR_RIE | TSci::TRCSR_TIE)) != 0,
         (trcsr & (TSci::TRCSR_RDRF | TSci::TRCSR_TDRE)) != 0},
        {TWatchSource::Tof, InterruptSource::TOF, (tcsr & TTimer::TCSR_ETOI) != 0,
         (tcsr & TTimer::TCSR_TOF) != 0},
        {TWatchSource::Ocf, InterruptSource::OCF, (tcsr & TTimer::TCSR_EOCI) != 0,
         (tcsr & TTimer::TCSR_OCF) != 0},
        {TWatchSource::Icf, InterruptSource::ICF, (tcsr & TTimer::TCSR_EICI) != 0,
         (tcsr & TTimer::TCSR_ICF) != 0},
        {TWatchSource::Swi, std::nullopt, std::nullopt, false},
    };
    std::vector<TInterruptRow> rows;
    for (const TSourceFacts& f : facts) {
        TInterruptRow row;
        row.Source = f.Source;
        row.Name = WatchSourceName(f.Source);
        row.Enabled = f.Enabled;
        row.Flag = f.Flag;
        row.Pending = f.Request && cpu.Pending.test(*f.Request);
        const bool maskable = f.Source != TWatchSource::Nmi && f.Source != TWatchSource::Swi;
        row.Masked = maskable && cpu.I;
        row.Vector = WatchSourceVector(f.Source);
        const uint16_t handler =
            static_cast<uint16_t>(machine.Memory.Peek(row.Vector).Value << 8 |
                                  machine.Memory.Peek(static_cast<uint16_t>(row.Vector + 1)).Value);
        row.VectorDefined = handler != 0;
        if (watch) {
            row.Latency = watch->Counts(f.Source).Latency;
            row.Entries = watch->Counts(f.Source).Entries;
        }
        if (row.Pending) {
            if (row.Masked)
                row.Why =
                    "Zastavica I je postavljena: zahteva čaka, dokler je ne zbriše CLI ali RTI, ki vrne "
                    "shranjen CCR z I = 0.";
            else if (f.Source == TWatchSource::Sci && irq)
                row.Why = "IRQ ima prednost: SCI pride na vrsto, ko IRQ ni več zahtevan.";
            else if (f.Source != TWatchSource::Nmi && nmi) row.Why = "NMI ima prednost in se sprejme prvi.";
            if (!row.VectorDefined)
                row.Why += std::string(row.Why.empty() ? "" : " ") + "Vektor na " + Hex4(row.Vector) +
                           " ni definiran (0000): sprejem bo ustavil program s sporočilom.";
        } else if (f.Enabled && !*f.Enabled && f.Flag) {
            row.Why = "Zastavica je postavljena, a njena prekinitev ni omogočena, zato se ne zahteva.";
        }
        rows.push_back(std::move(row));
    }
    return rows;
}
