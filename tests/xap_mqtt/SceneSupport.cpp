#include "SceneSupport.h"

#include <mosquitto.h>

#include <arpa/inet.h>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <spawn.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testing_support {

using Clock = std::chrono::steady_clock;

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& outputPath) : outputPath_(outputPath)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0)
        pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
}

ChildProcess::~ChildProcess()
{
    if (pid_ <= 0 || status_ >= 0)
        return;
    ::kill(pid_, SIGTERM);
    if (wait(3000) < 0) {
        ::kill(pid_, SIGKILL);
        wait(3000);
    }
}

void ChildProcess::signal(int number)
{
    if (pid_ > 0 && status_ < 0)
        ::kill(pid_, number);
}

int ChildProcess::wait(int milliseconds)
{
    if (status_ >= 0 || pid_ <= 0)
        return status_;
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (true) {
        int raw = 0;
        if (::waitpid(pid_, &raw, WNOHANG) == pid_) {
            status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            return status_;
        }
        if (Clock::now() >= end)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool ChildProcess::running()
{
    return wait(0) < 0 && pid_ > 0;
}

std::string ChildProcess::output() const
{
    std::ifstream in(outputPath_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool waitFor(const std::function<bool()>& done, int milliseconds, const std::function<void()>& step)
{
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    while (true) {
        if (step)
            step();
        if (done())
            return true;
        if (Clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

bool makeTlsFiles(const std::string& folder, TlsFiles& files)
{
    files = TlsFiles{folder + "/ca.crt", folder + "/server.crt", folder + "/server.key", folder + "/client.crt",
                     folder + "/client.key"};
    std::ofstream(folder + "/server.ext") << "subjectAltName=IP:127.0.0.1,DNS:localhost\n";
    const std::string key = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    const std::string script = "cd '" + folder + "' && " +
        "openssl req -x509" + key + " -keyout ca.key -out ca.crt -days 2 -subj '/CN=Tallis test CA' && " +
        "openssl req" + key + " -keyout server.key -out server.csr -subj '/CN=127.0.0.1' && " +
        "openssl x509 -req -in server.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out server.crt -days 2 -extfile server.ext && " +
        "openssl req" + key + " -keyout client.key -out client.csr -subj '/CN=xap-mqtt' && " +
        "openssl x509 -req -in client.csr -CA ca.crt -CAkey ca.key -CAcreateserial -out client.crt -days 2";
    return std::system((script + " >openssl.log 2>&1").c_str()) == 0;
}

std::string brokerConfig(int port, const std::string& extra)
{
    return "listener " + std::to_string(port) + " 127.0.0.1\nallow_anonymous true\npersistence false\nuser root\n" + extra;
}

bool brokerAccepts(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// ---- Observer -------------------------------------------------------------------------

Observer::Observer(int port, const std::string& id, const TlsFiles* tls, const std::string& user, const std::string& password)
{
    mosquitto_lib_init();
    mosq_ = mosquitto_new(id.c_str(), true, this);
    mosquitto_int_option(mosq_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    if (!user.empty())
        mosquitto_username_pw_set(mosq_, user.c_str(), password.c_str());
    if (tls)
        mosquitto_tls_set(mosq_, tls->caFile.c_str(), nullptr, tls->clientCert.c_str(), tls->clientKey.c_str(), nullptr);
    mosquitto_connect_callback_set(mosq_, [](mosquitto*, void* self, int rc) {
        static_cast<Observer*>(self)->connected_ = rc == 0;
    });
    mosquitto_message_callback_set(mosq_, [](mosquitto*, void* self, const mosquitto_message* m) {
        auto* o = static_cast<Observer*>(self);
        MqttMessage message{m->topic, std::string(static_cast<const char*>(m->payload), static_cast<std::size_t>(m->payloadlen)),
                            m->retain, Clock::now()};
        o->last_[message.topic] = message.payload;
        o->messages.push_back(std::move(message));
    });
    if (mosquitto_connect(mosq_, "127.0.0.1", port, 30) == MOSQ_ERR_SUCCESS)
        waitFor([this] { return connected_; }, 3000, [this] { pump(); });
}

Observer::~Observer()
{
    mosquitto_disconnect(mosq_);
    mosquitto_destroy(mosq_);
}

void Observer::subscribe(const std::string& pattern)
{
    mosquitto_subscribe(mosq_, nullptr, pattern.c_str(), 1);
    pump();
}

void Observer::publish(const std::string& topic, const std::string& payload, bool retain)
{
    mosquitto_publish(mosq_, nullptr, topic.c_str(), static_cast<int>(payload.size()), payload.data(), 1, retain);
    pump();
}

void Observer::pump()
{
    mosquitto_loop(mosq_, 0, 1);
}

std::string Observer::last(const std::string& topic) const
{
    auto it = last_.find(topic);
    return it == last_.end() ? "<none>" : it->second;
}

int Observer::countOn(const std::string& topic) const
{
    int n = 0;
    for (const MqttMessage& m : messages)
        n += m.topic == topic;
    return n;
}

// ---- FakeDevice ------------------------------------------------------------------------

FakeDevice::FakeDevice(int port, const std::string& broadcast) : broadcast_(broadcast), port_(port)
{
    socket_.bind(static_cast<std::uint16_t>(port), "127.0.0.1");
    endpoints = {
        {"Lamp", "01", true, "on", "", std::nullopt},
        {"Dimmer", "02", true, "on", "3/10", std::nullopt},
        {"Sign", "03", true, "on", "", std::string("Welcome")},
        {"Door", "04", false, "off", "", std::nullopt},
    };
}

void FakeDevice::send(const std::string& text)
{
    platform::UdpSocket out;
    out.bind(0, "");
    out.enableBroadcast();
    out.sendTo(broadcast_, 3639, text);
}

void FakeDevice::heartbeat(int intervalSeconds)
{
    send("xap-hbeat\n{\nv=13\nhop=1\nuid=FF.ABCD:00\nclass=xap-hbeat.alive\nsource=" + std::string(kSource) +
         "\ninterval=" + std::to_string(intervalSeconds) + "\nport=" + std::to_string(port_) + "\n}\n");
    interval_ = intervalSeconds;
    beating_ = intervalSeconds > 0;
    nextBeat_ = Clock::now() + std::chrono::seconds(intervalSeconds);
}

std::string FakeDevice::report(std::size_t index, const char* cls) const
{
    const Endpoint& e = endpoints[index];
    std::string text = "xap-header\n{\nv=13\nhop=1\nuid=FF.ABCD:" + e.subUid + "\nclass=" + cls + "\nsource=" + kSource + ":" +
        e.name + "\n}\n" + (e.output ? "output.state" : "input.state") + "\n{\nstate=" + e.state + "\n";
    if (!e.level.empty())
        text += "level=" + e.level + "\n";
    if (e.text)
        text += "text=" + *e.text + "\n";
    return text + "displaytext=Fake " + e.name + "\n}\n";
}

void FakeDevice::info(std::size_t index)
{
    send(report(index, "xAPBSC.info"));
}

void FakeDevice::event(std::size_t index)
{
    send(report(index, "xAPBSC.event"));
}

void FakeDevice::pump()
{
    if (beating_ && Clock::now() >= nextBeat_)
        heartbeat(interval_);
    std::string text;
    while (socket_.receive(text)) {
        const auto frame = xapmqtt::readFrame(text);
        if (!frame || frame->isHeartbeat())
            continue;
        const std::string target = frame->header("target");
        const auto [device, sub] = xapmqtt::splitSubAddress(target);
        if (device != ">" && device != kSource)
            continue;
        if (frame->cls() == "xAPBSC.query") {
            ++queries;
            for (std::size_t i = 0; i < endpoints.size(); ++i)
                info(i);
        } else if (frame->cls() == "xAPBSC.cmd") {
            commands.push_back(*frame);
            // Each output.state.N block: the endpoint by id, then its new state.
            for (std::size_t b = 1; b < frame->blocks.size(); ++b) {
                const xapmqtt::XapBlock& block = frame->blocks[b];
                const std::string* id = block.find("id");
                for (std::size_t i = 0; i < endpoints.size(); ++i) {
                    Endpoint& e = endpoints[i];
                    if (!e.output || !id || (*id != e.subUid && *id != "*"))
                        continue;
                    if (const std::string* s = block.find("state"))
                        e.state = *s == "toggle" ? (e.state == "on" ? "off" : "on") : *s;
                    if (const std::string* l = block.find("level"))
                        e.level = *l;
                    if (const std::string* t = block.find("text"))
                        e.text = *t;
                    event(i);
                }
            }
        }
    }
}

} // namespace testing_support
