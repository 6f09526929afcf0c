#!/usr/bin/env python3
"""Request rates of the reference album service over one keep-alive connection.

Usage: request_rates.py BUILD_DIR/tools/album-service/album-service

Starts the service on a free port with a fresh data folder and the demonstration
account, then times logins, quota requests and 200 KB upload + registration
pairs, and stops it.
"""
import http.client
import re
import shutil
import subprocess
import sys
import tempfile
import time

BOUNDARY = '----NEBUL-0123456789abcdef0123456789abcdef-'


def form(name, content, filename=None):
    head = '--%s\r\nContent-Disposition: form-data; name="%s"' % (BOUNDARY, name)
    if filename:
        head += '; filename="%s"\r\nContent-Type: image/jpeg' % filename
    return head.encode() + b'\r\n\r\n' + content + b'\r\n--' + BOUNDARY.encode() + b'--\r\n'


def timed(label, count, step):
    start = time.monotonic()
    for _ in range(count):
        step()
    seconds = time.monotonic() - start
    print('%-32s %5d in %6.2f s = %7.1f/s' % (label, count, seconds, count / seconds))


def main():
    data = tempfile.mkdtemp(prefix='album-bench-')
    service = subprocess.Popen([sys.argv[1], '--port', '0', '--data', data, '--seed-demo'],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        port = int(service.stdout.readline().rsplit(':', 1)[1])
        connection = http.client.HTTPConnection('127.0.0.1', port)

        def get(path):
            connection.request('GET', path)
            return connection.getresponse().read().decode()

        answer = get('/apis/client/client_login.php?name=demo&pass=demo&appname=client&cliver=1')
        uid, cookie, token = re.match(r'succ:uid=(\d+);(\w+);(\w+);', answer).groups()
        timed('login', 300, lambda: get('/apis/client/client_login.php?name=demo&pass=demo&appname=client'))
        timed('quota', 300, lambda: get('/apis/client/client_get_photoinfo.php?appname=client&uid=%s&token=%s'
                                        % (uid, token)))
        picture = b'\xff\xd8\xff\xe0' + b'x' * 200000
        headers = {'Content-Type': 'multipart/form-data; boundary=' + BOUNDARY}

        def upload_and_register():
            connection.request('POST', '/interface/pic_upload.php?app=photo&s=xml&exif=1&token=%s&sess=%s'
                               % (token, cookie), form('pic1', picture, 'a.jpg'), headers)
            receipt = re.search(r'<data>(\w+)</data>', connection.getresponse().read().decode()).group(1)
            connection.request('POST', '/upload/upload_receive.php?appname=client&uid=%s&token=%s&ctgid=1&uip=&title=a.jpg'
                               % (uid, token), form('picdata', receipt.encode()), headers)
            assert connection.getresponse().read().startswith(b'+OK')

        timed('200 KB upload + registration', 100, upload_and_register)
    finally:
        service.terminate()
        service.wait()
        shutil.rmtree(data, ignore_errors=True)


if __name__ == '__main__':
    main()
