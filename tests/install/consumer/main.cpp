#include <Orbalog/TTracing.h>

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    Orbalog::TTracing tracer;
    tracer.FileName = QString::fromLocal8Bit(argv[1]);
    tracer.StartTrace();
    tracer.Trace(1, "consumer record %d", 42);
    tracer.StopTrace();
    return 0;
}
